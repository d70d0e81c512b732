// The one conversion of text on Windows: between a code page of this
// Windows (its ANSI one, the install script's, or UTF-8) and the UTF-16 of
// the system's wide functions and windows; and the console set to a code
// page, so that the installer's texts print as they are.
#pragma once

#include <string>
#include <string_view>

namespace cdsetup::platform {

/// `text` in code page `code_page` (0: the ANSI code page) as UTF-16; with a
/// code page the system does not know, each byte as the character of its
/// number.
std::wstring Widen(std::string_view text, unsigned code_page);
/// UTF-16 text in code page `code_page` (0: the ANSI code page); a character
/// it lacks becomes the code page's default character.
std::string Narrow(std::wstring_view text, unsigned code_page);

/// `utf8` in code page `code_page` (0: the ANSI code page); a character it
/// lacks becomes the code page's default character.
std::string Utf8ToCodePage(std::string_view utf8, unsigned code_page);
/// Text in code page `code_page` (0: the ANSI code page) in UTF-8.
std::string CodePageToUtf8(std::string_view text, unsigned code_page);
/// Makes the console, when there is one, read and write code page
/// `code_page` (0: the ANSI code page).
void UseCodePageOnConsole(unsigned code_page);
inline void UseAnsiCodePageOnConsole() {
  UseCodePageOnConsole(0);
}

}  // namespace cdsetup::platform
