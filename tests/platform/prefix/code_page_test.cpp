#include "platform/prefix/code_page.h"

#include <gtest/gtest.h>

namespace cdsetup::platform {
namespace {

// "Zażółć gęślą jaźń" in CP1250 and in UTF-8.
const char kPolish1250[] = "Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1";
const char kPolishUtf8[] =
    "Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87 g\xC4\x99\xC5\x9Bl\xC4\x85 ja\xC5\xBA\xC5\x84";

TEST(CodePage, PolishLettersRoundTripThrough1250) {
  CodePage cp(1250);
  EXPECT_EQ(cp.ToUtf8(kPolish1250), kPolishUtf8);
  EXPECT_EQ(cp.FromUtf8(kPolishUtf8), kPolish1250);
}

TEST(CodePage, Utf8InputIsTakenAsUtf8) {
  CodePage cp(1250);
  EXPECT_EQ(cp.ToUtf8(kPolishUtf8), kPolishUtf8);
  EXPECT_EQ(cp.ToUtf8("plain"), "plain");
}

TEST(CodePage, UnrepresentableAndUndefinedCharacters) {
  CodePage cp(1250);
  // A Cyrillic letter has no place in 1250.
  EXPECT_EQ(cp.FromUtf8("a\xD0\x96z"), "a?z");
  // 0x98 is undefined in 1250.
  EXPECT_EQ(cp.ToUtf8("a\x98z"), "a\xEF\xBF\xBDz");
  CodePage unknown(4242);
  EXPECT_EQ(unknown.number(), 1252);
  EXPECT_EQ(unknown.ToUtf8("\xE9"), "\xC3\xA9");
}

TEST(CodePage, FindsTheFirstByteTheCodePageLeavesUndefined) {
  constexpr std::size_t npos = std::string_view::npos;
  EXPECT_EQ(CodePage(1250).FindInvalidByte(kPolish1250), npos);
  EXPECT_EQ(CodePage(1250).FindInvalidByte("ab\x98z"), 2u);
  // 0x8F is Z with acute in 1250, nothing in 1252.
  EXPECT_EQ(CodePage(1252).FindInvalidByte("\x8Fr\xF3"
                                           "d\xB3o"),
            0u);
  EXPECT_EQ(CodePage(1250).FindInvalidByte("\x8Fr\xF3"
                                           "d\xB3o"),
            npos);
  // UTF-8 is taken as UTF-8; plain ASCII is every code page's.
  EXPECT_EQ(CodePage(1252).FindInvalidByte(kPolishUtf8), npos);
  EXPECT_EQ(CodePage(1251).FindInvalidByte("plain"), npos);
  // A lead byte of a double-byte code page needs its trail byte.
  EXPECT_EQ(CodePage(932).FindInvalidByte("a\x82\xA0"), npos);
  EXPECT_EQ(CodePage(932).FindInvalidByte("ab\x82"), 2u);
}

TEST(CodePage, Utf8Validation) {
  EXPECT_TRUE(IsValidUtf8(kPolishUtf8));
  EXPECT_FALSE(IsValidUtf8(kPolish1250));
  EXPECT_FALSE(IsValidUtf8("\xC0\x80"));      // overlong NUL
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // surrogate
  EXPECT_FALSE(IsValidUtf8("\xE2\x82"));      // cut short
}

TEST(CodePage, NamesCompareWithoutRegardToCase) {
  EXPECT_TRUE(EqualsIgnoreCaseUtf8("DANE", "dane"));
  // "ŻÓŁW" and "żółw"
  EXPECT_TRUE(EqualsIgnoreCaseUtf8("\xC5\xBB\xC3\x93\xC5\x81W", "\xC5\xBC\xC3\xB3\xC5\x82w"));
  EXPECT_TRUE(EqualsIgnoreCaseUtf8("\xD0\x96", "\xD0\xB6"));  // Cyrillic Zhe
  EXPECT_FALSE(EqualsIgnoreCaseUtf8("dane", "dane2"));
  EXPECT_FALSE(EqualsIgnoreCaseUtf8("\xC5\x81", "l"));
}

TEST(CodePage, LowerFollowsTheCodePageLetters) {
  // "ŁÓDŹ ŚWIT.OGG" in 1250
  EXPECT_EQ(CodePage(1250).Lower("\xA3\xD3"
                                 "D\x8F \x8C"
                                 "WIT.OGG"),
            "\xB3\xF3"
            "d\x9F \x9C"
            "wit.ogg");
  // "ÉCOLE Š Ÿ ß" in 1252: ß has no single-byte capital and stays.
  EXPECT_EQ(CodePage(1252).Lower("\xC9"
                                 "COLE \x8A \x9F \xDF"),
            "\xE9"
            "cole \x9A \xFF \xDF");
  // "АЁ" in 1251; the same bytes are other letters in 1250.
  EXPECT_EQ(CodePage(1251).Lower("\xC0\xA8"), "\xE0\xB8");
  EXPECT_EQ(CodePage(1250).Lower("\xC0"), "\xE0");
  // In 932, 0x41 after a lead byte is half of a katakana, not an "A".
  EXPECT_EQ(CodePage(932).Lower("\x83\x41"
                                "A"),
            "\x83\x41"
            "a");
  EXPECT_EQ(CodePage(1250).Lower(""), "");
}

}  // namespace
}  // namespace cdsetup::platform
