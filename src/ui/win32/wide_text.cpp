#include "ui/win32/wide_text.h"

namespace cdsetup::ui::win32 {

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
  const int n =
      WideCharToMultiByte(Page(code_page), 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(Page(code_page), 0, text.data(), length, out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring WideWindowText(HWND window) {
  const int n = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(n > 0 ? n : 0) + 1, L'\0');
  const int got = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return text;
}

std::string WindowTextOf(HWND window, unsigned code_page) {
  return Narrow(WideWindowText(window), code_page);
}

}  // namespace cdsetup::ui::win32
