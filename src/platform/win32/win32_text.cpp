#include "platform/win32/win32_text.h"

#include <windows.h>

#include <clocale>
#include <string>

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

UINT Page(unsigned code_page) {
  return code_page == 0 ? CP_ACP : code_page;
}

}  // namespace

std::string Utf8ToCodePage(std::string_view utf8, unsigned code_page) {
  return Convert(utf8, CP_UTF8, Page(code_page));
}

std::string CodePageToUtf8(std::string_view text, unsigned code_page) {
  return Convert(text, Page(code_page), CP_UTF8);
}

void UseCodePageOnConsole(unsigned code_page) {
  // Without a console these fail and change nothing; a console without a
  // window of its own (Wine's on a terminal) still takes them.
  const UINT page = code_page == 0 ? GetACP() : code_page;
  SetConsoleOutputCP(page);
  SetConsoleCP(page);
  // The C runtime may hand console output to the system as UTF-16, which
  // it converts from its own locale's code page: that one too.
  const std::string locale = "." + std::to_string(page);
  std::setlocale(LC_CTYPE, locale.c_str());
}

}  // namespace cdsetup::platform
