// Text between UTF-8 and the ANSI code page of this Windows, for what comes
// in UTF-8 (the program's own resource texts); and the console set to the
// ANSI code page, so that the installer's texts print as they are.
#pragma once

#include <string>
#include <string_view>

namespace cdsetup::platform {

/// `utf8` in the ANSI code page; a character it lacks becomes the system's
/// default character.
std::string Utf8ToAnsi(std::string_view utf8);
/// ANSI text in UTF-8.
std::string AnsiToUtf8(std::string_view ansi);
/// Makes the console, when there is one, read and write the ANSI code page.
void UseAnsiCodePageOnConsole();

}  // namespace cdsetup::platform
