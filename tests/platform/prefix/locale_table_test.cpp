// POSIX locales to Windows language ids and ANSI code pages, the environment
// they come from, and the Windows directory in the environment.
#include "platform/prefix/locale_table.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>

#include "support/prefix_fixture.h"

namespace cdsetup::platform {
namespace {

// Sets (or, for nullopt, unsets) environment variables for one test and puts
// the old values back afterwards.
class ScopedEnv {
 public:
  ScopedEnv(std::initializer_list<std::pair<const char*, std::optional<std::string>>> vars) {
    for (const auto& [name, value] : vars) {
      const char* old = std::getenv(name);
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
      if (value) {
        ::setenv(name, value->c_str(), 1);
      } else {
        ::unsetenv(name);
      }
    }
  }
  ~ScopedEnv() {
    for (const auto& [name, value] : saved_) {
      if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
      } else {
        ::unsetenv(name.c_str());
      }
    }
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

TEST(LocaleTable, LanguagesAndTheirCodePages) {
  struct Case {
    const char* locale;
    const char* id;
    int code_page;
  } cases[] = {
      {"pl_PL.UTF-8", "0415", 1250},
      {"pl", "0415", 1250},
      {"pl_DE", "0415", 1250},
      {"pl-PL", "0415", 1250},
      {"PL_pl", "0415", 1250},
      {"cs_CZ", "0405", 1250},
      {"hu_HU.ISO-8859-2", "040E", 1250},
      {"sk_SK", "041B", 1250},
      {"ro_RO", "0418", 1250},
      {"en_US.UTF-8", "0409", 1252},
      {"en", "0409", 1252},
      {"en_GB", "0809", 1252},
      {"en_AU", "0C09", 1252},
      {"de_DE@euro", "0407", 1252},
      {"de_AT", "0C07", 1252},
      {"de_CH", "0807", 1252},
      {"fr_FR", "040C", 1252},
      {"fr_CA", "0C0C", 1252},
      {"es_ES", "0C0A", 1252},
      {"es_MX", "080A", 1252},
      {"it_IT", "0410", 1252},
      {"pt_BR", "0416", 1252},
      {"pt_PT", "0816", 1252},
      {"nl_BE", "0813", 1252},
      {"sv_FI", "081D", 1252},
      {"nb_NO", "0414", 1252},
      {"ru_RU.KOI8-R", "0419", 1251},
      {"uk_UA", "0422", 1251},
      {"bg_BG", "0402", 1251},
      {"sr_RS", "0C1A", 1251},
      {"sr_RS@latin", "081A", 1250},
      {"el_GR", "0408", 1253},
      {"tr_TR", "041F", 1254},
      {"he_IL", "040D", 1255},
      {"ar_EG", "0C01", 1256},
      {"ar", "0401", 1256},
      {"lt_LT", "0427", 1257},
      {"lv_LV", "0426", 1257},
      {"et_EE", "0425", 1257},
      {"vi_VN", "042A", 1258},
      {"th_TH", "041E", 874},
      {"ja_JP.eucJP", "0411", 932},
      {"zh_CN.GB18030", "0804", 936},
      {"ko_KR", "0412", 949},
      {"zh_TW.Big5", "0404", 950},
      {"zh_HK", "0C04", 950},
      {"zh", "0804", 936},
      // Nothing that names a language Windows knows: US English.
      {"", "0409", 1252},
      {"C", "0409", 1252},
      {"POSIX", "0409", 1252},
      {"C.UTF-8", "0409", 1252},
      {"xx_YY", "0409", 1252},
      {"12", "0409", 1252},
      {"pl_P1", "0409", 1252},
      {"_PL", "0409", 1252},
      {".UTF-8", "0409", 1252},
      {"@latin", "0409", 1252},
      {"polish", "0409", 1252},
      {"p\xC5\x82", "0409", 1252},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.locale);
    WindowsLocale l = LookUpWindowsLocale(c.locale);
    EXPECT_EQ(FormatLanguageId(l.language_id), c.id);
    EXPECT_EQ(l.ansi_code_page, c.code_page);
  }
}

TEST(LocaleTable, FirstSetVariableWins) {
  {
    ScopedEnv env{{"LC_ALL", ""}, {"LC_MESSAGES", "cs_CZ.UTF-8"}, {"LANG", "de_DE.UTF-8"}};
    EXPECT_EQ(LocaleFromEnvironment(), "cs_CZ.UTF-8");
  }
  {
    ScopedEnv env{{"LC_ALL", "pl_PL"}, {"LC_MESSAGES", "cs_CZ"}, {"LANG", "de_DE"}};
    EXPECT_EQ(LocaleFromEnvironment(), "pl_PL");
  }
  {
    ScopedEnv env{{"LC_ALL", std::nullopt}, {"LC_MESSAGES", std::nullopt}, {"LANG", "hu_HU"}};
    EXPECT_EQ(LocaleFromEnvironment(), "hu_HU");
  }
  {
    ScopedEnv env{{"LC_ALL", std::nullopt}, {"LC_MESSAGES", ""}, {"LANG", std::nullopt}};
    EXPECT_EQ(LocaleFromEnvironment(), "");
  }
}

class PrefixLocale : public testing::PrefixFixture {
 protected:
  void SetUp() override { testing::MakeDirs(medium()); }
  void OpenWith(const std::string& locale, int code_page) {
    PrefixOptions o;
    o.prefix_dir = temp_ / "prefix";
    o.medium_dir = medium();
    o.user = "tester";
    o.locale = locale;
    o.code_page = code_page;
    auto p = PrefixPlatform::Open(o);
    ASSERT_TRUE(p.ok()) << p.status().ToString();
    platform_ = std::move(p).value();
  }
};

TEST_F(PrefixLocale, LanguageAndCodePageFollowTheLocaleUnlessOverridden) {
  OpenWith("pl_PL.UTF-8", 0);
  EXPECT_EQ(platform_->GetSystemLanguageId(), "0415");
  EXPECT_EQ(platform_->NameCodePage(), 1250);
  OpenWith("pl_PL.UTF-8", 1252);  // --codepage
  EXPECT_EQ(platform_->GetSystemLanguageId(), "0415");
  EXPECT_EQ(platform_->NameCodePage(), 1252);
  OpenWith("ru_RU", 0);
  EXPECT_EQ(platform_->NameCodePage(), 1251);
  {
    ScopedEnv env{{"LC_ALL", std::nullopt}, {"LC_MESSAGES", "fr_CA.UTF-8"}, {"LANG", "C"}};
    OpenWith("", 0);
    EXPECT_EQ(platform_->GetSystemLanguageId(), "0C0C");
    EXPECT_EQ(platform_->NameCodePage(), 1252);
  }
  {
    ScopedEnv env{{"LC_ALL", "C"}, {"LC_MESSAGES", "pl_PL"}, {"LANG", "pl_PL"}};
    OpenWith("", 0);
    EXPECT_EQ(platform_->GetSystemLanguageId(), "0409");
  }
}

TEST_F(PrefixLocale, CodePageOfALanguageId) {
  OpenWith("en_US", 0);
  EXPECT_EQ(platform_->LanguageCodePage("0415"), 1250);
  EXPECT_EQ(platform_->LanguageCodePage("0419"), 1251);
  EXPECT_EQ(platform_->LanguageCodePage("041a"), 1250);  // keys match in any case
  EXPECT_EQ(platform_->LanguageCodePage("0409"), 1252);
  for (const char* not_an_id : {"", "415", "04150", "x415", "7FFF"}) {
    EXPECT_EQ(platform_->LanguageCodePage(not_an_id), 0) << not_an_id;
  }
}

TEST_F(PrefixLocale, WindowsDirectoryIsInTheEnvironment) {
  OpenWith("pl_PL", 0);
  {
    ScopedEnv env{{"WINDIR", std::nullopt}, {"windir", std::nullopt}};
    EXPECT_EQ(platform_->GetEnvironmentVariableA("WINDIR"), "C:\\windows");
    EXPECT_EQ(platform_->GetEnvironmentVariableA("windir"), "C:\\windows");
  }
  // A host directory, an empty value or a relative one is not the prefix's.
  for (const char* host : {"/opt/windows", "", "windows", "C:windows"}) {
    ScopedEnv env{{"WINDIR", host}};
    EXPECT_EQ(platform_->GetEnvironmentVariableA("WINDIR"), "C:\\windows") << host;
  }
  {
    // "D:\Okna\Łódź" from a UTF-8 environment, in code page 1250.
    ScopedEnv env{{"WINDIR",
                   "D:\\Okna\\\xC5\x81\xC3\xB3"
                   "d\xC5\xBA"}};
    EXPECT_EQ(platform_->GetEnvironmentVariableA("WINDIR"),
              "D:\\Okna\\\xA3\xF3"
              "d\x9F");
  }
  ScopedEnv env{{"CDSETUP_NOT_SET", std::nullopt}};
  EXPECT_EQ(platform_->GetEnvironmentVariableA("CDSETUP_NOT_SET"), "");
}

}  // namespace
}  // namespace cdsetup::platform
