// UTF-8 and UTF-16 conversions for the formats that store Windows' wide
// strings: registry files escape UTF-16 code units, link files store them.
#pragma once

#include <string>
#include <string_view>

namespace cdsetup::platform {

/// UTF-8 to UTF-16. A byte that does not start a well-formed sequence stands
/// for itself (as Latin-1), so nothing of the input is dropped.
std::u16string Utf8ToUtf16(std::string_view utf8);

/// Appends the UTF-8 form of the code point `cp`.
void AppendUtf8(std::string& out, char32_t cp);

/// UTF-16 to UTF-8. A lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace cdsetup::platform
