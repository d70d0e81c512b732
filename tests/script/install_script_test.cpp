#include "script/install_script.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "script/language_resolution.h"
#include "support/prefix_fixture.h"

namespace cdsetup::script {
namespace {

TEST(ParseNumber, LeadingDecimalInteger) {
  struct Case {
    const char* text;
    int value;
  } cases[] = {{"3abc", 3},
               {"  42", 42},
               {"-7", -7},
               {"+5x", 5},
               {"abc", 0},
               {"", 0},
               {"- 3", 0},
               {"\t12 34", 12},
               {"0010", 10},
               {"99999999999", 2147483647},
               {"-99999999999", -2147483647 - 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseNumber(c.text), c.value);
  }
}

TEST(FamilyKey, FormsNamesWithoutLeadingZeros) {
  EXPECT_EQ(FamilyKey("Description%d", 0), "Description0");
  EXPECT_EQ(FamilyKey("%d", 12), "12");
  EXPECT_EQ(FamilyKey("Exe%d", 3), "Exe3");
}

class InstallScriptTest : public testing::PrefixFixture {
 protected:
  void Write(std::string_view text) { testing::WriteFile(medium("install.ini"), text); }
  InstallScript Script() { return InstallScript(*platform_, "D:\\install.ini"); }
};

TEST_F(InstallScriptTest, SwitchIsTrueOnlyForTrueInAnyCase) {
  Write("[OPTION]\r\na=TRUE\r\nb=True\r\nc=yes\r\nd=1\r\ne=true \r\nf=truely\r\n");
  InstallScript s = Script();
  EXPECT_TRUE(s.ReadSwitch("Option", "a"));
  EXPECT_TRUE(s.ReadSwitch("option", "B"));
  EXPECT_FALSE(s.ReadSwitch("Option", "c"));
  EXPECT_FALSE(s.ReadSwitch("Option", "d"));
  EXPECT_TRUE(s.ReadSwitch("Option", "e"));  // trailing blanks are trimmed
  EXPECT_FALSE(s.ReadSwitch("Option", "f"));
  EXPECT_FALSE(s.ReadSwitch("Option", "missing"));
}

TEST_F(InstallScriptTest, TextIsCutTo259Characters) {
  std::string long_text(300, 'x');
  long_text[258] = 'L';
  Write("[Polski]\r\nIDS_DALEJ=" + long_text + "\r\n");
  std::size_t count = 0;
  std::string t = Script().ReadText("polski", "ids_dalej", &count);
  EXPECT_EQ(t.size(), 259u);
  EXPECT_EQ(count, 259u);
  EXPECT_EQ(t.back(), 'L');
}

TEST_F(InstallScriptTest, NumbersAndFamiliesWithMissingMembers) {
  Write("[Polski]\r\nShortcuts=2abc\r\nDescription0=Gra\r\n");
  InstallScript s = Script();
  EXPECT_EQ(s.ReadNumber("Polski", "Shortcuts"), 2);
  EXPECT_EQ(s.ReadFamily("Polski", "Description%d", 2), (std::vector<std::string>{"Gra", ""}));
  EXPECT_TRUE(s.ReadFamily("Polski", "File%d", -1).empty());
}

TEST_F(InstallScriptTest, CountsAreBoundByTheKeysOfTheirFamilysSection) {
  Write(
      "[Language]\r\nNr=2147483647\r\n0=Polski\r\n1=English\r\n"
      "[Polski]\r\nOTHERFILES=3\r\nMessage0=a\r\nExe0=a.exe\r\nBig=99999999999\r\n"
      "Minus=-4\r\n");
  InstallScript s = Script();
  struct Case {
    const char* section;
    const char* key;
    const char* family;
    int count;
  };
  for (Case c : {Case{"Language", "Nr", "Language", 3},  // Nr, 0 and 1: three keys
                 Case{"Polski", "OTHERFILES", "Polski", 3}, Case{"Polski", "Big", "Polski", 5},
                 Case{"Polski", "Minus", "Polski", 0}, Case{"Polski", "Big", "Missing", 0},
                 Case{"Polski", "Missing", "Polski", 0}}) {
    SCOPED_TRACE(std::string(c.section) + " " + c.key);
    EXPECT_EQ(s.ReadCount(c.section, c.key, c.family), c.count);
  }
  EXPECT_EQ(ListedLanguages(s), (std::vector<std::string>{"Polski", "English", ""}));
}

TEST_F(InstallScriptTest, MissingEmptyOrBinaryScriptReadsAsDefaults) {
  InstallScript s = Script();
  EXPECT_EQ(s.ReadText("Option", "PROGRAM_NAME"), "");
  EXPECT_EQ(s.ReadNumber("min", "files"), 0);
  Write("");
  EXPECT_FALSE(s.ReadSwitch("Option", "show_licence"));
  std::string binary;
  for (int i = 0; i < 70000; ++i) binary += static_cast<char>((i * 131) & 0xFF);
  Write(binary);
  EXPECT_EQ(s.ReadNumber("min", "files"), 0);
}

TEST_F(InstallScriptTest, EnormousScriptReadsAsEmptyWithoutBeingRead) {
  // A sparse file: large on paper, so only its size decides.
  Write("[Option]\r\nPROGRAM_NAME=Gra\r\n");
  ASSERT_EQ(::truncate(medium("install.ini").c_str(), 200ll << 20), 0);
  EXPECT_EQ(Script().ReadText("Option", "PROGRAM_NAME"), "");
}

}  // namespace
}  // namespace cdsetup::script
