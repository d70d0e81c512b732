#include "platform/profile_file.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace cdsetup::platform {
namespace {

std::string Get(const std::string& text, std::string_view section, std::string_view key) {
  ProfileIndex index(text);
  auto v = index.Find(section, key);
  return v ? std::string(*v) : std::string("<missing>");
}

TEST(ProfileRead, NamesMatchWithoutRegardToCase) {
  std::string text = "[OPTION]\r\nShow_Licence=TRUE\r\n";
  EXPECT_EQ(Get(text, "Option", "show_licence"), "TRUE");
  EXPECT_EQ(Get(text, "option", "SHOW_LICENCE"), "TRUE");
}

TEST(ProfileRead, FirstSectionAndFirstKeyWin) {
  std::string text = "[a]\nk=first\nk=second\n[b]\nx=1\n[A]\nk=third\nonly_in_second=2\n";
  EXPECT_EQ(Get(text, "a", "k"), "first");
  // A later section of the same name is never read, not even for new keys.
  EXPECT_EQ(Get(text, "a", "only_in_second"), "<missing>");
  EXPECT_EQ(Get(text, "b", "x"), "1");
}

TEST(ProfileRead, CommentsOnlyAsFirstNonBlankSemicolon) {
  std::string text = "[s]\n;k=commented\n  ;j=also\n#h=hash is no comment\nv=a ; not inline\n";
  EXPECT_EQ(Get(text, "s", ";k"), "<missing>");
  EXPECT_EQ(Get(text, "s", "k"), "<missing>");
  EXPECT_EQ(Get(text, "s", "j"), "<missing>");
  EXPECT_EQ(Get(text, "s", "#h"), "hash is no comment");
  EXPECT_EQ(Get(text, "s", "v"), "a ; not inline");
}

TEST(ProfileRead, BlanksAndOneOuterPairOfQuotesRemoved) {
  std::string text =
      "[s]\n \tkey \t=  \t value with  inner  blanks \t \n"
      "dq=\"quoted\"\nsq='single'\nmixed=\"abc'\nlone=\"\ntwo=\"\"\nnested=\"\"x\"\"\n"
      "inner= \" padded \" \n";
  EXPECT_EQ(Get(text, "s", "key"), "value with  inner  blanks");
  EXPECT_EQ(Get(text, "s", "dq"), "quoted");
  EXPECT_EQ(Get(text, "s", "sq"), "single");
  EXPECT_EQ(Get(text, "s", "mixed"), "\"abc'");
  EXPECT_EQ(Get(text, "s", "lone"), "\"");  // one character: no pair to remove
  EXPECT_EQ(Get(text, "s", "two"), "");
  EXPECT_EQ(Get(text, "s", "nested"), "\"x\"");
  EXPECT_EQ(Get(text, "s", "inner"), " padded ");
}

TEST(ProfileRead, LinesWithoutEqualsAndBeforeFirstSectionAreNoKeys) {
  std::string text = "early=before\n[s]\njust words\nk=v\n";
  EXPECT_EQ(Get(text, "s", "just words"), "<missing>");
  EXPECT_EQ(Get(text, "s", "early"), "<missing>");
  EXPECT_EQ(Get(text, "s", "k"), "v");
}

TEST(ProfileRead, EveryLineEndAndByteOrderMark) {
  EXPECT_EQ(Get("[s]\r\na=1\r\nb=2", "s", "b"), "2");
  EXPECT_EQ(Get("[s]\ra=1\rb=2\r", "s", "a"), "1");
  EXPECT_EQ(Get("[s]\na=1\nb=2\n", "s", "b"), "2");
  EXPECT_EQ(Get("\xEF\xBB\xBF[s]\r\na=1\r\n", "s", "a"), "1");
}

TEST(ProfileRead, SectionHeaderTrimmedAndTextAfterBracketIgnored) {
  std::string text = "  [ Polski ]  \nIDS_DALEJ=Dalej\n";
  EXPECT_EQ(Get(text, "polski", "IDS_DALEJ"), "Dalej");
}

TEST(ProfileRead, ValueWithEqualsKeepsEverythingAfterTheFirst) {
  EXPECT_EQ(Get("[s]\nk=a=b\n", "s", "k"), "a=b");
}

TEST(ProfileRead, BinaryAndHugeLinesDoNotBreakTheIndex) {
  std::string binary(4096, '\0');
  for (std::size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 37);
  ProfileIndex index(binary);  // must simply not crash
  std::string huge = "[s]\nk=" + std::string(100000, 'x') + "\nafter=1\n";
  EXPECT_EQ(Get(huge, "s", "k").size(), 100000u);
  EXPECT_EQ(Get(huge, "s", "after"), "1");
}

TEST(ProfileList, SectionsAndKeysInFileOrderWithTheirLines) {
  std::string text =
      "\xEF\xBB\xBF; head\r\nearly=1\r\n[Option]\r\n A = 1\r\n;c=2\r\nB=2\r\n"
      "a=3\r\n[min]\nfiles=0\n[OPTION]\nC=4\n";
  ProfileIndex index(text);
  std::vector<ProfileEntry> sections = index.SectionNames();
  ASSERT_EQ(sections.size(), 3u);
  EXPECT_EQ(sections[0].name, "Option");
  EXPECT_EQ(sections[0].line, 3u);
  EXPECT_FALSE(sections[0].repeated);
  EXPECT_EQ(sections[1].name, "min");
  EXPECT_EQ(sections[1].line, 8u);
  EXPECT_EQ(sections[2].name, "OPTION");
  EXPECT_EQ(sections[2].line, 10u);
  EXPECT_TRUE(sections[2].repeated);

  // The keys of the first [Option] only: those under the repeat are never read.
  std::vector<ProfileEntry> keys = index.Keys("option");
  ASSERT_EQ(keys.size(), 3u);
  EXPECT_EQ(keys[0].name, "A");
  EXPECT_EQ(keys[0].line, 4u);
  EXPECT_EQ(keys[1].name, "B");
  EXPECT_EQ(keys[1].line, 6u);
  EXPECT_EQ(keys[2].name, "a");
  EXPECT_EQ(keys[2].line, 7u);
  EXPECT_TRUE(keys[2].repeated);
  EXPECT_TRUE(index.Keys("none").empty());
}

TEST(ProfileCopy, CutToBufferSizeMinusOneAndCounted) {
  std::array<char, 5> buf;
  buf.fill('#');
  EXPECT_EQ(CopyToBuffer("abcdefgh", buf.data(), buf.size()), 4u);
  EXPECT_STREQ(buf.data(), "abcd");
  EXPECT_EQ(CopyToBuffer("ab", buf.data(), buf.size()), 2u);
  EXPECT_STREQ(buf.data(), "ab");
  EXPECT_EQ(CopyToBuffer("ab", buf.data(), 0), 0u);
  EXPECT_EQ(buf[0], 'a');  // an empty buffer is not written
  EXPECT_EQ(CopyToBuffer("ab", buf.data(), 1), 0u);
  EXPECT_EQ(buf[0], '\0');
}

std::string Set(std::string_view text, std::string_view s, std::string_view k, std::string_view v) {
  auto r = ProfileSetValue(text, s, k, v);
  EXPECT_TRUE(r.ok()) << r.status().ToString();
  return r.ok() ? r.value() : std::string();
}

TEST(ProfileWrite, CreatesFileSectionAndKey) {
  EXPECT_EQ(Set("", "Option", "Language", "Polski"), "[Option]\r\nLanguage=Polski\r\n");
  EXPECT_EQ(Set("[a]\r\nx=1\r\n", "Option", "Language", "Polski"),
            "[a]\r\nx=1\r\n[Option]\r\nLanguage=Polski\r\n");
  // A last line without its line end gets one before the new section.
  EXPECT_EQ(Set("[a]\nx=1", "b", "k", "v"), "[a]\nx=1\r\n[b]\r\nk=v\r\n");
}

TEST(ProfileWrite, NewKeyGoesAfterTheLastKeyOfItsSection) {
  std::string text = "; head\r\n[Option]\r\nA=1\r\n\r\n; trailing comment\r\n[min]\r\nfiles=0\r\n";
  EXPECT_EQ(Set(text, "option", "Language", "English"),
            "; head\r\n[Option]\r\nA=1\r\nLanguage=English\r\n\r\n; trailing comment\r\n"
            "[min]\r\nfiles=0\r\n");
  // A section without keys gets the key right after its header.
  EXPECT_EQ(Set("[Option]\n[x]\n", "Option", "k", "v"), "[Option]\nk=v\r\n[x]\n");
  // The last line of the file without a line end.
  EXPECT_EQ(Set("[Option]\nA=1", "Option", "k", "v"), "[Option]\nA=1\r\nk=v\r\n");
}

TEST(ProfileWrite, ReplacesExistingValueInPlaceKeepingOtherLines) {
  std::string text = "[Option]\nPROGRAM_NAME=Gra\r\n  language = Polski\nz=9\n";
  EXPECT_EQ(Set(text, "OPTION", "Language", "English"),
            "[Option]\nPROGRAM_NAME=Gra\r\n  language =English\nz=9\n");
  // Only the first of duplicate keys changes.
  EXPECT_EQ(Set("[s]\r\nk=1\r\nk=2\r\n", "s", "k", "3"), "[s]\r\nk=3\r\nk=2\r\n");
}

TEST(ProfileWrite, WrittenValueReadsBack) {
  std::string text = Set("\xEF\xBB\xBF[s]\r\n", "s", "k", " \"x\" ");
  EXPECT_EQ(Get(text, "s", "k"), "x");
  EXPECT_EQ(text.substr(0, 3), "\xEF\xBB\xBF");
}

TEST(ProfileWrite, RefusesWhatWouldBreakTheFile) {
  EXPECT_TRUE(ProfileSetValue("", "s", "k", "a\r\nb=c").status().IsRefused());
  EXPECT_TRUE(ProfileSetValue("", "s", "k=x", "v").status().IsRefused());
  EXPECT_TRUE(ProfileSetValue("", "s", "[k", "v").status().IsRefused());
  EXPECT_TRUE(ProfileSetValue("", "s]", "k", "v").status().IsRefused());
  EXPECT_TRUE(ProfileSetValue("", "s", "", "v").status().IsRefused());
}

}  // namespace
}  // namespace cdsetup::platform
