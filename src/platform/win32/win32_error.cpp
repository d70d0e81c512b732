#include "platform/win32/win32_error.h"

#include <windows.h>

namespace cdsetup::platform {

base::Status Win32Status(std::uint32_t error, const std::string& context) {
  char text[256] = {};
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           error, 0, text, sizeof text, nullptr);
  while (n > 0 && (text[n - 1] == '\n' || text[n - 1] == '\r' || text[n - 1] == ' ')) --n;
  std::string msg =
      context + ": " + (n > 0 ? std::string(text, n) : "error " + std::to_string(error));
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_NOT_READY:
    case ERROR_NO_MORE_FILES:
    case ERROR_BAD_NETPATH:
      return base::Status::NotFound(std::move(msg));
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
      return base::Status::AlreadyExists(std::move(msg));
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_INVALID_NAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
      return base::Status::Refused(std::move(msg));
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_BUSY:
      return base::Status::Busy(std::move(msg));
    case ERROR_NOT_SUPPORTED:
    case ERROR_CALL_NOT_IMPLEMENTED:
      return base::Status::Unsupported(std::move(msg));
    default:
      return base::Status::IoError(std::move(msg));
  }
}

base::Status LastWin32Status(const std::string& context) {
  return Win32Status(GetLastError(), context);
}

}  // namespace cdsetup::platform
