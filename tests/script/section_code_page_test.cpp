// The code page of a language section: from the language ids that map to it,
// else from its name, else none; the same rule for the check.
#include "script/section_code_page.h"

#include <gtest/gtest.h>

#include "support/prefix_fixture.h"

namespace cdsetup::script {
namespace {

class SectionCodePageTest : public testing::PrefixFixture {
 protected:
  int CodePageOf(std::string_view ini, std::string_view section) {
    testing::WriteFile(medium("install.ini"), ini);
    return SectionCodePage(InstallScript(*platform_, "D:\\install.ini"), section);
  }
};

TEST_F(SectionCodePageTest, TheFirstLanguageIdThatMapsToTheSectionDecides) {
  // Mapped ids win over the name; the first known one in file order, and a
  // section name matches in any letter case.
  constexpr std::string_view ini =
      "[Language]\r\nNr=3\r\n0=Polski\r\n1=Moj\r\n2=Russian\r\n"
      "04FF=Moj\r\n0419=moj\r\n0415=MOJ\r\n0415=Russian\r\n0409=Polski\r\n";
  EXPECT_EQ(CodePageOf(ini, "Moj"), 1251);      // 04FF is no language; a second 0415 is never read
  EXPECT_EQ(CodePageOf(ini, "Polski"), 1252);   // mapped from US English
  EXPECT_EQ(CodePageOf(ini, "Russian"), 1251);  // not mapped: by its name
  // The language the section is in comes from the same id.
  const InstallScript script(*platform_, "D:\\install.ini");
  EXPECT_EQ(SectionLanguageId(script, "Moj"), 0x0419u);
  EXPECT_EQ(SectionLanguageId(script, "Polski"), 0x0409u);
  EXPECT_EQ(SectionLanguageId(script, "Russian"), 0x0419u);
  EXPECT_EQ(SectionLanguageId(script, "Klingon"), 0u);
  // Another section's mapping or a commented key does not count.
  EXPECT_EQ(CodePageOf("[Language]\r\n;0419=Polski\r\n0419=Inny\r\n", "Polski"), 1250);
}

TEST_F(SectionCodePageTest, ByTheNameElseNone) {
  for (auto [name, code_page] : std::initializer_list<std::pair<const char*, int>>{
           {"Polski", 1250},
           {"POLISH", 1250},
           {" Cesky ", 1250},
           {"\xC4\x8D"
            "e\xC5\xA1tina",
            1250},
           {"Magyar", 1250},
           {"Deutsch", 1252},
           {"English", 1252},
           {"\xD1\x80\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9", 1251},
           {"Greek", 1253},
           {"Turkce", 1254},
           {"Japanese", 932},
           {"Klingon", 0},
           {"", 0},
       }) {
    EXPECT_EQ(CodePageOf("[Language]\r\nNr=1\r\n0=x\r\n", name), code_page) << name;
  }
  EXPECT_EQ(CodePageOf("", "Polski"), 1250);  // no script at all
}

TEST(LanguageIdKey, FourHexadecimalDigits) {
  EXPECT_TRUE(IsLanguageIdKey("041a"));
  EXPECT_TRUE(IsLanguageIdKey("0C0A"));
  EXPECT_FALSE(IsLanguageIdKey("415"));
  EXPECT_FALSE(IsLanguageIdKey("04g5"));
  EXPECT_FALSE(IsLanguageIdKey("04150"));
}

}  // namespace
}  // namespace cdsetup::script
