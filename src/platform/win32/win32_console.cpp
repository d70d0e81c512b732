// A program of the Windows subsystem starts with no standard handles unless
// its parent redirected them; the C runtime's streams are then closed.
#include "platform/win32/win32_console.h"

#include <windows.h>

#include <cstdio>

namespace cdsetup::platform {
namespace {

bool borrowed = false;

bool HasHandle(DWORD which) {
  const HANDLE handle = GetStdHandle(which);
  return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
         GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

struct Stream {
  DWORD which;
  std::FILE* file;
  const char* device;
  const char* mode;
};

// The streams that had no handle when the console came, connected to it.
void ConnectStreams(const bool (&missing)[3]) {
  const Stream streams[3] = {{STD_INPUT_HANDLE, stdin, "CONIN$", "r"},
                             {STD_OUTPUT_HANDLE, stdout, "CONOUT$", "w"},
                             {STD_ERROR_HANDLE, stderr, "CONOUT$", "w"}};
  for (int i = 0; i < 3; ++i) {
    if (!missing[i]) continue;
    // Unbuffered output, as on a console from the start.
    if (std::freopen(streams[i].device, streams[i].mode, streams[i].file) && i > 0) {
      std::setvbuf(streams[i].file, nullptr, _IONBF, 0);
    }
  }
}

bool Missing(bool (&missing)[3]) {
  missing[0] = !HasHandle(STD_INPUT_HANDLE);
  missing[1] = !HasHandle(STD_OUTPUT_HANDLE);
  missing[2] = !HasHandle(STD_ERROR_HANDLE);
  return missing[0] || missing[1] || missing[2];
}

}  // namespace

bool BorrowParentConsole() {
  bool missing[3];
  if (!Missing(missing) || GetConsoleWindow() != nullptr) return false;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return false;
  borrowed = true;
  ConnectStreams(missing);
  return true;
}

bool OpenOwnConsole() {
  bool missing[3];
  const bool any_missing = Missing(missing);
  if (GetConsoleWindow() != nullptr || !any_missing) return true;
  if (!AllocConsole()) return false;
  ConnectStreams(missing);
  return true;
}

void ReleaseBorrowedConsole() {
  if (!borrowed) return;
  FreeConsole();
  borrowed = false;
}

}  // namespace cdsetup::platform
