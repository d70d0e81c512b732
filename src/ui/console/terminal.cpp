// The parts of the terminal that are the same on every system; the system's
// own calls are in terminal_posix.cpp and terminal_win32.cpp.
#include "ui/console/terminal.h"

#include <cstdlib>

#include "ui/console/terminal_system.h"

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

}  // namespace

namespace system {
void Interrupted() {
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
  return ColumnsFromEnvironment(fallback);
}

void Terminal::DropPendingInput() const {
  if (InputIsTerminal()) system::DropPendingInput(in_);
}

void Interrupts::Catch() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  system::CatchInterrupts();
}

bool Interrupts::Raised() {
  return g_interrupted != 0;
}

void Interrupts::Reset() {
  g_interrupted = 0;
}

}  // namespace cdsetup::ui::console
