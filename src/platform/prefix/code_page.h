// Conversion between the Windows side's 8-bit ANSI texts and the host's UTF-8
// names, and the case-insensitive name comparison that Windows file systems use.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cdsetup::platform {

/// Converts texts between one ANSI code page and UTF-8. Not copyable; cheap to
/// call repeatedly (the converters are opened once).
class CodePage {
 public:
  /// `code_page` is a Windows code page number (1250, 1251, 1252, ...). An
  /// unknown number falls back to 1252.
  explicit CodePage(int code_page);
  ~CodePage();
  CodePage(const CodePage&) = delete;
  CodePage& operator=(const CodePage&) = delete;

  int number() const { return number_; }

  /// ANSI to UTF-8. A text that is already valid UTF-8 and not plain ASCII is
  /// taken as UTF-8 and returned unchanged. Bytes the code page leaves
  /// undefined become U+FFFD.
  std::string ToUtf8(std::string_view ansi) const;

  /// UTF-8 to ANSI. A character the code page cannot hold becomes "?"; a text
  /// that is not valid UTF-8 as a whole is passed through unchanged.
  std::string FromUtf8(std::string_view utf8) const;

  /// Every upper-case letter of the code page in lower case, accented ones
  /// included, as CharLower does; other bytes stay. In double-byte code pages
  /// only the single-byte letters A to Z change.
  std::string Lower(std::string_view ansi) const;

  /// The offset of the first byte of `ansi` that is no character of the code
  /// page: one it leaves undefined, or a lead byte without a usable trail
  /// byte. npos when there is none, and for a text ToUtf8 takes as UTF-8.
  std::size_t FindInvalidByte(std::string_view ansi) const;

 private:
  void BuildLowerTable();

  int number_;
  unsigned char lower_[256];
  void* to_utf8_;    // iconv_t
  void* from_utf8_;  // iconv_t
};

/// True when `s` is well-formed UTF-8 (no overlongs, no surrogates).
bool IsValidUtf8(std::string_view s);
/// True when every byte of `s` is below 0x80.
bool IsAscii(std::string_view s);

/// Compares two UTF-8 names as Windows compares file names: without regard to
/// letter case (ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic letters).
bool EqualsIgnoreCaseUtf8(std::string_view a, std::string_view b);

/// The code points of a UTF-8 name, each folded to lower case as above; a
/// byte that is not part of a well-formed sequence counts as one code point.
std::u32string FoldedCodePoints(std::string_view utf8);

}  // namespace cdsetup::platform
