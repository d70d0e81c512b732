// Escaped strings and hex lists in the forms Wine writes and reads.
#include "platform/prefix/registry_text.h"

#include <gtest/gtest.h>

namespace cdsetup::platform {
namespace {

std::u16string Unescape(std::string_view in, char delim = '"') {
  std::size_t end = 0;
  auto text = UnescapeRegistryText(in, delim, &end);
  EXPECT_TRUE(text.has_value()) << in;
  return text.value_or(u"<none>");
}

TEST(RegistryText, EscapesWhatTheFormatNeeds) {
  struct Case {
    std::u16string text;
    char delim;
    const char* escaped;
  } cases[] = {
      {u"C:\\Gry\\Gra", '"', "C:\\\\Gry\\\\Gra"},
      {u"say \"hi\"", '"', "say \\\"hi\\\""},
      {u"a]b", ']', "a\\]b"},
      {u"a]b", '"', "a]b"},
      {u"tab\there\nline\r", '"', "tab\\there\\nline\\r"},
      {u"\u0142\u00f3d\u017a", '"', "\\x142\\x00f3d\\x17a"},  // a hex digit follows ó
      {u"\u0142x", '"', "\\x142x"},
      {u"\u20ac", '"', "\\x20ac"},
      {std::u16string(u"a\0b\0", 4), '"', "a\\0b\\0"},
      {std::u16string(u"\0"
                      u"1",
                      2),
       '"', "\\0001"},
      {u"\x7f", '"', "\\x7f"},
      {u"\x01", '"', "\\1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.escaped);
    EXPECT_EQ(EscapeRegistryText(c.text, c.delim), c.escaped);
    std::u16string back = Unescape(std::string(c.escaped) + c.delim, c.delim);
    EXPECT_EQ(back, c.text);
  }
}

TEST(RegistryText, ReadsEveryEscapeWineWrites) {
  EXPECT_EQ(Unescape("\\a\\b\\e\\f\\v\\t\\n\\r\""), u"\a\b\x1b\f\v\t\n\r");
  EXPECT_EQ(Unescape("\\x41\\x0042C\""), u"ABC");
  EXPECT_EQ(Unescape("\\x12345\""), u"\u12345");  // four digits at most
  EXPECT_EQ(Unescape("\\xg\""), u"xg");           // no digits: the letter
  EXPECT_EQ(Unescape("\\101\\0\\7778\""), std::u16string(u"A\0\u01ff"
                                                         u"8",
                                                         4));
  EXPECT_EQ(Unescape("\\q\\\\\\\"\""), u"q\\\"");
  // Raw UTF-8 is read as UTF-8; a lone high byte as Latin-1.
  EXPECT_EQ(Unescape("\xc5\x82\xe9\""), u"\u0142\u00e9");
  std::size_t end = 0;
  EXPECT_EQ(*UnescapeRegistryText("ab\"=rest", '"', &end), u"ab");
  EXPECT_EQ(end, 2u);
  EXPECT_FALSE(UnescapeRegistryText("no end", '"', &end).has_value());
  EXPECT_FALSE(UnescapeRegistryText("ends in escape\\", '"', &end).has_value());
}

TEST(RegistryText, HexListsBreakAndContinue) {
  std::vector<std::uint8_t> bytes(100);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
  std::string text = "\"x\"=hex:";
  AppendHexList(text, bytes, text.size());
  std::vector<std::uint8_t> back;
  std::size_t lines = 0;
  std::size_t pos = text.find(':') + 1;
  for (;;) {
    std::size_t nl = text.find('\n', pos);
    std::string_view line = std::string_view(text).substr(pos, nl - pos);
    EXPECT_LE(line.size() + (lines == 0 ? 8 : 0), 80u);
    ++lines;
    auto more = ParseHexList(line, &back);
    ASSERT_TRUE(more.has_value());
    if (!*more) break;
    pos = nl + 1;
  }
  EXPECT_GT(lines, 3u);
  EXPECT_EQ(back, bytes);

  std::vector<std::uint8_t> out;
  EXPECT_EQ(ParseHexList("", &out), false);
  EXPECT_EQ(ParseHexList("  de,ad, be ,ef", &out), false);
  EXPECT_EQ(out, (std::vector<std::uint8_t>{0xde, 0xad, 0xbe, 0xef}));
  EXPECT_EQ(ParseHexList("01,\\", &out), true);
  EXPECT_FALSE(ParseHexList("01,zz", &out).has_value());
  EXPECT_FALSE(ParseHexList("01 02", &out).has_value());
  EXPECT_FALSE(ParseHexList("01,\\ 02", &out).has_value());
}

}  // namespace
}  // namespace cdsetup::platform
