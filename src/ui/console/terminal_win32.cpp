// The terminal on Windows: the console's own functions and its control
// handler. Built only for Windows.
#include <conio.h>
#include <io.h>
#include <windows.h>

#include "ui/console/terminal.h"
#include "ui/console/terminal_system.h"

namespace cdsetup::ui::console {

namespace system {

namespace {
BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
    Interrupted(event == CTRL_CLOSE_EVENT);
    return TRUE;
  }
  return FALSE;
}

HANDLE HandleOf(std::FILE* stream) {
  return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
}
}  // namespace

bool IsTerminal(std::FILE* stream) {
  return stream && _isatty(_fileno(stream));
}

int Columns(std::FILE* out) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(HandleOf(out), &info)) return 0;
  return info.srWindow.Right - info.srWindow.Left + 1;
}

int Rows(std::FILE* out) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(HandleOf(out), &info)) return 0;
  return info.srWindow.Bottom - info.srWindow.Top + 1;
}

void DropPendingInput(std::FILE* in) {
  FlushConsoleInputBuffer(HandleOf(in));
}

void CatchInterrupts() {
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

}  // namespace system

struct Terminal::KeyMode::Saved {};

Terminal::KeyMode::KeyMode(const Terminal& terminal) : terminal_(terminal) {
  if (terminal_.InputIsTerminal()) saved_ = std::make_unique<Saved>();
}

Terminal::KeyMode::~KeyMode() {
  if (saved_) terminal_.DropPendingInput();
}

int Terminal::KeyMode::WaitKey(int timeout_ms) {
  if (!saved_) return -1;
  // The console has no wait for a key that an interrupt ends: it is asked.
  for (int waited = 0; !_kbhit(); waited += 10) {
    if (Interrupts::Waiting() || (timeout_ms >= 0 && waited >= timeout_ms)) return -1;
    Sleep(10);
  }
  return _getch();
}

int Terminal::KeyMode::ReadKey() {
  if (!saved_ || !_kbhit()) return -1;
  return _getch();
}

}  // namespace cdsetup::ui::console
