#include "platform/win32/win32_text.h"

#include <windows.h>

#include <clocale>
#include <string>

namespace cdsetup::platform {
namespace {

UINT Page(unsigned code_page) {
  return code_page == 0 ? CP_ACP : code_page;
}

}  // namespace

std::wstring Widen(std::string_view text, unsigned code_page) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int n = MultiByteToWideChar(Page(code_page), 0, text.data(), length, nullptr, 0);
  if (n <= 0) return std::wstring(text.begin(), text.end());  // an unknown code page: as Latin-1
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(Page(code_page), 0, text.data(), length, wide.data(), n);
  return wide;
}

std::string Narrow(std::wstring_view text, unsigned code_page) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  // No best fit: "L" for "Ł" would name another file.
  const UINT page = Page(code_page);
  const DWORD flags = page == CP_UTF8 || page == CP_UTF7 ? 0 : WC_NO_BEST_FIT_CHARS;
  const int n = WideCharToMultiByte(page, flags, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(page, flags, text.data(), length, out.data(), n, nullptr, nullptr);
  return out;
}

std::string Utf8ToCodePage(std::string_view utf8, unsigned code_page) {
  return Narrow(Widen(utf8, CP_UTF8), code_page);
}

std::string CodePageToUtf8(std::string_view text, unsigned code_page) {
  return Narrow(Widen(text, code_page), CP_UTF8);
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
