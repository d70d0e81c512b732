// The core's texts, which are in the install script's code page, as the
// system's windows hold them (UTF-16), and back: so that a Polish script
// reads right on a Windows whose own code page is another.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "platform/win32/win32_text.h"

namespace cdsetup::ui::win32 {

// The system's one conversion, which the windows share with the platform.
using platform::Narrow;
using platform::Widen;
/// The whole text of a window, as it holds it.
std::wstring WideWindowText(HWND window);
/// The whole text of a window, in `code_page`.
std::string WindowTextOf(HWND window, unsigned code_page);

}  // namespace cdsetup::ui::win32
