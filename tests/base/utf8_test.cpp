// The one UTF-8 decoder: what is well-formed, what is not, and that text
// which is not can never compare equal to text that is.
#include "base/utf8.h"

#include <gtest/gtest.h>

#include "platform/prefix/code_page.h"

namespace cdsetup::base {
namespace {

TEST(Utf8, OnlyWellFormedSequencesDecodeAndNothingElseMeetsThem) {
  struct Case {
    const char* bytes;
    bool valid;
  };
  const Case cases[] = {
      {"plain", true},
      {"\xC3\xA8", true},           // è
      {"\xE2\x82\xAC", true},       // €
      {"\xF0\x9F\x98\x80", true},   // an emoji, four bytes
      {"\xF4\x8F\xBF\xBF", true},   // U+10FFFF, the last code point
      {"\xC0\xA1", false},          // "!" in two bytes: overlong
      {"\xE0\x80\xAF", false},      // "/" in three bytes: overlong
      {"\xF0\x80\x80\xAF", false},  // "/" in four bytes: overlong
      {"\x80", false},              // a lone continuation byte
      {"a\xBF"
       "b",
       false},                      // one between letters
      {"\xED\xA0\x80", false},      // a high surrogate
      {"\xED\xBF\xBF", false},      // a low surrogate
      {"\xF4\x90\x80\x80", false},  // past U+10FFFF
      {"\xC3", false},              // cut after its first byte
      {"\xE2\x82", false},          // cut after two of three
      {"\xC3(", false},             // a lead byte before an ASCII letter
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(IsValidUtf8(c.bytes), c.valid);
    // Decoding and encoding again gives the bytes back exactly when valid.
    std::string again;
    const std::string_view s(c.bytes);
    for (std::size_t i = 0; i < s.size();) {
      const char32_t cp = DecodeUtf8At(s, i);
      if (!IsInvalidByte(cp)) AppendUtf8(again, cp);
    }
    EXPECT_EQ(again == s, c.valid);
  }
  // Folded names compare by the same decoding: a stray byte never equals a
  // letter, whatever the letter's code point.
  using platform::EqualsIgnoreCaseUtf8;
  EXPECT_FALSE(EqualsIgnoreCaseUtf8("\xC3(", "\xC3\xA8"));
  EXPECT_FALSE(EqualsIgnoreCaseUtf8("\xC0\xA1", "!"));
  EXPECT_FALSE(EqualsIgnoreCaseUtf8("\xE8", "\xC3\xA8"));
  EXPECT_TRUE(EqualsIgnoreCaseUtf8("\xC3\x80\xC3\x89", "\xC3\xA0\xC3\xA9"));  // ÀÉ, àé
  EXPECT_TRUE(EqualsIgnoreCaseUtf8("a\xBF", "A\xBF"));
}

}  // namespace
}  // namespace cdsetup::base
