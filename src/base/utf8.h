// The one UTF-8 decoder: strict (no overlong forms, no surrogates, nothing
// past U+10FFFF, no cut or stray continuation bytes), so that two different
// byte strings never decode to the same code points.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cdsetup::base {

/// What a byte that starts no well-formed sequence decodes to: the lone low
/// surrogate U+DC00 + byte, which no well-formed text holds.
inline constexpr char32_t kInvalidByteBase = 0xDC00;
inline bool IsInvalidByte(char32_t cp) {
  return cp >= kInvalidByteBase + 0x80 && cp <= kInvalidByteBase + 0xFF;
}

/// The code point of the well-formed sequence at `s[i]`, advancing `i` past
/// it; where none starts there, kInvalidByteBase + the byte, advancing `i`
/// by one. `i` must be below `s.size()`.
char32_t DecodeUtf8At(std::string_view s, std::size_t& i);

/// True when `s` is well-formed UTF-8 throughout.
bool IsValidUtf8(std::string_view s);

/// Appends `cp` (at most U+10FFFF) in UTF-8.
void AppendUtf8(std::string& out, char32_t cp);

}  // namespace cdsetup::base
