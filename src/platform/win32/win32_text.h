// Text between UTF-8 and a code page of this Windows (its ANSI one, or the
// install script's), for what comes in UTF-8 (the program's own resource
// texts) and the log; and the console set to that code page, so that the
// installer's texts print as they are.
#pragma once

#include <string>
#include <string_view>

namespace cdsetup::platform {

/// `utf8` in code page `code_page` (0: the ANSI code page); a character it
/// lacks becomes the code page's default character.
std::string Utf8ToCodePage(std::string_view utf8, unsigned code_page);
/// Text in code page `code_page` (0: the ANSI code page) in UTF-8.
std::string CodePageToUtf8(std::string_view text, unsigned code_page);
inline std::string Utf8ToAnsi(std::string_view utf8) {
  return Utf8ToCodePage(utf8, 0);
}
inline std::string AnsiToUtf8(std::string_view ansi) {
  return CodePageToUtf8(ansi, 0);
}
/// Makes the console, when there is one, read and write code page
/// `code_page` (0: the ANSI code page).
void UseCodePageOnConsole(unsigned code_page);
inline void UseAnsiCodePageOnConsole() {
  UseCodePageOnConsole(0);
}

}  // namespace cdsetup::platform
