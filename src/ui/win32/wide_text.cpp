#include "ui/win32/wide_text.h"

namespace cdsetup::ui::win32 {

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
