// The parts of the terminal that are the same on every system; the system's
// own calls are in terminal_posix.cpp and terminal_win32.cpp.
#include "ui/console/terminal.h"

#include <cstdlib>

#include "ui/console/line_editor.h"
#include "ui/console/terminal_system.h"

namespace cdsetup::ui::console {
namespace {

volatile std::sig_atomic_t g_interrupted = 0;  // Ctrl-C not yet answered
volatile std::sig_atomic_t g_ending = 0;       // the program is asked to end

int SizeFromEnvironment(const char* name, int fallback) {
  const char* columns = std::getenv(name);
  if (!columns) return fallback;
  char* end = nullptr;
  const long n = std::strtol(columns, &end, 10);
  return (end != columns && *end == '\0' && n > 0 && n < 10000) ? static_cast<int>(n) : fallback;
}

}  // namespace

namespace system {
void Interrupted(bool ends_run) {
  if (ends_run) g_ending = 1;
  g_interrupted = 1;
}
}  // namespace system

bool Terminal::InputIsTerminal() const {
  return system::IsTerminal(in_);
}

bool Terminal::OutputIsTerminal() const {
  return system::IsTerminal(out_);
}

int Terminal::Columns(int fallback) const {
  if (OutputIsTerminal()) {
    if (const int width = system::Columns(out_); width > 0) return width;
  }
  return SizeFromEnvironment("COLUMNS", fallback);
}

int Terminal::Rows(int fallback) const {
  if (OutputIsTerminal()) {
    if (const int height = system::Rows(out_); height > 0) return height;
  }
  return SizeFromEnvironment("LINES", fallback);
}

void Terminal::DropPendingInput() const {
  if (InputIsTerminal()) system::DropPendingInput(in_);
}

namespace {

using Key = LineEditor::Key;

// The key that starts with `first`; a character's further bytes and an
// escape sequence's follow at once, so they are read without waiting long.
Key DecodeKey(Terminal::KeyMode& keys, int first, bool utf8, std::string* character) {
  if (first == '\r' || first == '\n') return Key::kEnter;
  if (first == 127 || first == 8) return Key::kBackspace;
  if (first == 27) {
    const int kind = keys.WaitKey(30);
    if (kind != '[' && kind != 'O') return Key::kOther;
    int number = 0;
    for (int k = keys.WaitKey(30); k >= 0; k = keys.WaitKey(30)) {
      if (k >= '0' && k <= '9') {
        number = number * 10 + (k - '0');
        continue;
      }
      switch (k) {
        case 'C':
          return Key::kRight;
        case 'D':
          return Key::kLeft;
        case 'H':
          return Key::kHome;
        case 'F':
          return Key::kEnd;
        case '~':
          return number == 3                  ? Key::kDelete
                 : number == 1 || number == 7 ? Key::kHome
                 : number == 4 || number == 8 ? Key::kEnd
                                              : Key::kOther;
        default:
          if (k >= 0x40 && k <= 0x7E) return Key::kOther;
      }
    }
    return Key::kOther;
  }
  if (!utf8 && (first == 0 || first == 0xE0)) {
    // The Windows console's prefix of an arrow or editing key; a lone 0xE0
    // is a letter of the code page.
    switch (keys.WaitKey(0)) {
      case -1:
        break;
      case 'K':
        return Key::kLeft;
      case 'M':
        return Key::kRight;
      case 'G':
        return Key::kHome;
      case 'O':
        return Key::kEnd;
      case 'S':
        return Key::kDelete;
      default:
        return Key::kOther;
    }
    if (first == 0) return Key::kOther;
  }
  if (first < 0x20) return Key::kOther;
  character->assign(1, static_cast<char>(first));
  if (utf8 && first >= 0xC0) {
    const int more = first >= 0xF0 ? 3 : first >= 0xE0 ? 2 : 1;
    for (int i = 0; i < more; ++i) {
      const int k = keys.WaitKey(30);
      if (k < 0x80 || k > 0xBF) return Key::kOther;  // no character after all
      character->push_back(static_cast<char>(k));
    }
  }
  return Key::kCharacter;
}

}  // namespace

Terminal::Edited Terminal::EditLine(std::string_view prompt, std::string* text, bool utf8) {
  if (!InputIsTerminal() || !OutputIsTerminal()) return Edited::kNoTerminal;
  KeyMode keys(*this);
  if (!keys.active()) return Edited::kNoTerminal;
  const auto width = [utf8](std::string_view s) {
    std::size_t n = 0;
    for (char c : s) n += !utf8 || (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
  };
  LineEditor editor(*text, utf8);
  for (;;) {
    const std::size_t columns = static_cast<std::size_t>(Columns());
    const std::size_t room =
        std::max<std::size_t>(10, columns - std::min(columns, width(prompt) + 1));
    std::size_t cursor = 0;
    const std::string view = editor.View(room, &cursor);
    // Printed twice, the second time up to the cursor, which leaves the
    // cursor there without any terminal's escape codes.
    const std::string line = "\r" + std::string(prompt) + view +
                             std::string(room - std::min(room, width(view)), ' ') + "\r" +
                             std::string(prompt) + view.substr(0, cursor);
    std::fputs(line.c_str(), out_);
    std::fflush(out_);
    const int key = keys.WaitKey(-1);
    if (key < 0) {
      // Ctrl-C, or the terminal gone: nothing is typed.
      std::fputs("\n", out_);
      Interrupts::Take();
      return Edited::kInterrupted;
    }
    std::string character;
    const Key pressed = DecodeKey(keys, key, utf8, &character);
    if (!editor.Press(pressed, character)) break;
  }
  std::fputs("\n", out_);
  *text = editor.text();
  return Edited::kDone;
}

void Interrupts::Catch() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  system::CatchInterrupts();
}

bool Interrupts::Waiting() {
  return g_interrupted != 0 || g_ending != 0;
}

bool Interrupts::Take() {
  if (g_ending) return true;
  if (!g_interrupted) return false;
  g_interrupted = 0;
  return true;
}

void Interrupts::Reset() {
  g_interrupted = 0;
  g_ending = 0;
}

}  // namespace cdsetup::ui::console
