// The text encodings inside Wine's registry files: escaped strings (key names,
// value names, string data) and comma-separated hex byte lists. The files are
// plain ASCII; everything else travels in escapes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cdsetup::platform {

/// `text` as Wine writes it between delimiters: printable ASCII as is, "\"
/// and `delim` escaped with "\", control characters as C escapes ("\n",
/// "\t", ...) or octal ("\0"), every code unit above 0x7F as "\x" and hex
/// digits (four of them when a hex digit follows). A string value's
/// terminator is not part of `text`: Wine leaves it out of the file.
std::string EscapeRegistryText(std::u16string_view text, char delim);

/// Reads an escaped text starting at in[0] up to the first unescaped `delim`.
/// Understands the escapes above and "\\", "\"" and any "\c" as c; bytes above
/// 0x7F outside escapes are read as UTF-8 when well-formed, else as Latin-1.
/// Returns the text and sets `*end` to the index of the delimiter; nullopt
/// when the delimiter never comes.
std::optional<std::u16string> UnescapeRegistryText(std::string_view in, char delim,
                                                   std::size_t* end);

/// Appends `bytes` as "xx,xx,..." in lower-case hex, breaking the line with
/// ",\" and two blanks when it would pass about 80 columns; `column` is where
/// the list starts on its line.
void AppendHexList(std::string& out, const std::vector<std::uint8_t>& bytes, std::size_t column);

/// Parses one line's part of a hex list ("01,ff,2a" or "01,ff,\"): appends the
/// bytes and tells whether the list goes on on the next line. nullopt when the
/// text is not such a list.
std::optional<bool> ParseHexList(std::string_view text, std::vector<std::uint8_t>* bytes);

}  // namespace cdsetup::platform
