// The core's texts, which are in the install script's code page, as the
// system's windows hold them (UTF-16), and back: so that a Polish script
// reads right on a Windows whose own code page is another.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace cdsetup::ui::win32 {

/// `text` in code page `code_page` (0: the system's ANSI one) as UTF-16.
std::wstring Widen(std::string_view text, unsigned code_page);
/// UTF-16 text in code page `code_page`; a character it lacks becomes the
/// code page's default character.
std::string Narrow(std::wstring_view text, unsigned code_page);
/// The whole text of a window, as it holds it.
std::wstring WideWindowText(HWND window);
/// The whole text of a window, in `code_page`.
std::string WindowTextOf(HWND window, unsigned code_page);

}  // namespace cdsetup::ui::win32
