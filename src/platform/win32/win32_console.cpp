// A program of the Windows subsystem starts with no standard handles unless
// its parent redirected them; the C runtime's streams are then closed.
#include "platform/win32/win32_console.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>

namespace cdsetup::platform {
namespace {

bool borrowed = false;

bool HasHandle(DWORD which) {
  const HANDLE handle = GetStdHandle(which);
  return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
         GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// Connects descriptor `fd` (0, 1, 2) and its C stream to `device`. The
// stream is taken over in place: a program of the GUI subsystem starts with
// streams that have no descriptor (-2), which freopen cannot reopen.
void Connect(int fd, std::FILE* stream, const char* device) {
  HANDLE handle =
      CreateFileA(device, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return;
  const int opened = _open_osfhandle(reinterpret_cast<std::intptr_t>(handle), _O_TEXT);
  if (opened < 0) {
    CloseHandle(handle);
    return;
  }
  if (_dup2(opened, fd) == 0) {
#ifndef _UCRT
    // msvcrt's stream keeps the -2 it started with; it is this descriptor now.
    if (_fileno(stream) < 0) stream->_file = fd;
#endif
    // Unbuffered output, as on a console from the start.
    if (fd > 0) std::setvbuf(stream, nullptr, _IONBF, 0);
  }
  _close(opened);
}

// The streams that had no handle when the console came, connected to it.
void ConnectStreams(const bool (&missing)[3]) {
  if (missing[0]) Connect(0, stdin, "CONIN$");
  if (missing[1]) Connect(1, stdout, "CONOUT$");
  if (missing[2]) Connect(2, stderr, "CONOUT$");
}

bool Missing(bool (&missing)[3]) {
  missing[0] = !HasHandle(STD_INPUT_HANDLE);
  missing[1] = !HasHandle(STD_OUTPUT_HANDLE);
  missing[2] = !HasHandle(STD_ERROR_HANDLE);
  return missing[0] || missing[1] || missing[2];
}

}  // namespace

void BorrowParentConsole() {
  bool missing[3];
  if (!Missing(missing) || GetConsoleWindow() != nullptr) return;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  borrowed = true;
  ConnectStreams(missing);
}

void OpenOwnConsole() {
  bool missing[3];
  if (!Missing(missing) || GetConsoleWindow() != nullptr) return;
  if (AllocConsole()) ConnectStreams(missing);
}

void ReleaseBorrowedConsole() {
  if (!borrowed) return;
  FreeConsole();
  borrowed = false;
}

}  // namespace cdsetup::platform
