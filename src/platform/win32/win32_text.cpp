#include "platform/win32/win32_text.h"

#include <windows.h>

namespace cdsetup::platform {
namespace {

std::string Convert(std::string_view text, UINT from, UINT to) {
  if (text.empty()) return std::string();
  const int length = static_cast<int>(text.size());
  int n = MultiByteToWideChar(from, 0, text.data(), length, nullptr, 0);
  if (n <= 0) return std::string(text);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(from, 0, text.data(), length, wide.data(), n);
  int m = WideCharToMultiByte(to, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
  if (m <= 0) return std::string(text);
  std::string out(static_cast<std::size_t>(m), '\0');
  WideCharToMultiByte(to, 0, wide.data(), n, out.data(), m, nullptr, nullptr);
  return out;
}

}  // namespace

std::string Utf8ToAnsi(std::string_view utf8) {
  return Convert(utf8, CP_UTF8, CP_ACP);
}

std::string AnsiToUtf8(std::string_view ansi) {
  return Convert(ansi, CP_ACP, CP_UTF8);
}

void UseAnsiCodePageOnConsole() {
  if (GetConsoleWindow() == nullptr) return;
  SetConsoleOutputCP(GetACP());
  SetConsoleCP(GetACP());
}

}  // namespace cdsetup::platform
