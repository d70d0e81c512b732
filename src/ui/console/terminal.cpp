#include "ui/console/terminal.h"

#include <csignal>
#include <cstdlib>
#include <string>

#ifdef _WIN32
#include <conio.h>
#include <io.h>
#include <windows.h>
#else
#include <stdio_ext.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace cdsetup::ui::console {
namespace {

volatile std::sig_atomic_t g_interrupted = 0;

int ColumnsFromEnvironment(int fallback) {
  const char* columns = std::getenv("COLUMNS");
  if (!columns) return fallback;
  char* end = nullptr;
  const long n = std::strtol(columns, &end, 10);
  return (end != columns && *end == '\0' && n > 0 && n < 10000) ? static_cast<int>(n) : fallback;
}

#ifdef _WIN32
BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
    g_interrupted = 1;
    return TRUE;
  }
  return FALSE;
}

bool IsTerminal(std::FILE* f) {
  return f && _isatty(_fileno(f));
}
#else
void OnSignal(int) {
  g_interrupted = 1;
}

bool IsTerminal(std::FILE* f) {
  return f && ::isatty(::fileno(f));
}
#endif

}  // namespace

bool Terminal::InputIsTerminal() const {
  return IsTerminal(in_);
}

bool Terminal::OutputIsTerminal() const {
  return IsTerminal(out_);
}

int Terminal::Columns(int fallback) const {
  if (OutputIsTerminal()) {
#ifdef _WIN32
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(out_))),
                                   &info)) {
      const int width = info.srWindow.Right - info.srWindow.Left + 1;
      if (width > 0) return width;
    }
#else
    winsize size{};
    if (::ioctl(::fileno(out_), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
#endif
  }
  return ColumnsFromEnvironment(fallback);
}

void Terminal::DropPendingInput() const {
  if (!InputIsTerminal()) return;
#ifdef _WIN32
  FlushConsoleInputBuffer(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(in_))));
#else
  ::tcflush(::fileno(in_), TCIFLUSH);
  __fpurge(in_);
#endif
}

#ifdef _WIN32
struct Terminal::KeyMode::Saved {};

Terminal::KeyMode::KeyMode(const Terminal& terminal) : terminal_(terminal) {
  if (terminal_.InputIsTerminal()) saved_ = std::make_unique<Saved>();
}

Terminal::KeyMode::~KeyMode() {
  if (saved_) terminal_.DropPendingInput();
}

int Terminal::KeyMode::ReadKey() {
  if (!saved_ || !_kbhit()) return -1;
  return _getch();
}
#else
struct Terminal::KeyMode::Saved {
  termios settings;
};

Terminal::KeyMode::KeyMode(const Terminal& terminal) : terminal_(terminal) {
  if (!terminal_.InputIsTerminal()) return;
  const int fd = ::fileno(terminal_.in());
  termios settings{};
  if (::tcgetattr(fd, &settings) != 0) return;
  saved_ = std::make_unique<Saved>(Saved{settings});
  // Keys arrive as typed and unechoed; Ctrl-C still interrupts.
  settings.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  settings.c_cc[VMIN] = 0;
  settings.c_cc[VTIME] = 0;
  ::tcsetattr(fd, TCSANOW, &settings);
}

Terminal::KeyMode::~KeyMode() {
  if (!saved_) return;
  ::tcsetattr(::fileno(terminal_.in()), TCSANOW, &saved_->settings);
  terminal_.DropPendingInput();
}

int Terminal::KeyMode::ReadKey() {
  if (!saved_) return -1;
  unsigned char key = 0;
  return ::read(::fileno(terminal_.in()), &key, 1) == 1 ? key : -1;
}
#endif

void Interrupts::Catch() {
  static bool installed = false;
  if (installed) return;
  installed = true;
#ifdef _WIN32
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
#else
  // No SA_RESTART: a read waiting for a line returns, so the page can end.
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
#endif
}

bool Interrupts::Raised() {
  return g_interrupted != 0;
}

void Interrupts::Raise() {
  g_interrupted = 1;
}

void Interrupts::Reset() {
  g_interrupted = 0;
}

}  // namespace cdsetup::ui::console
