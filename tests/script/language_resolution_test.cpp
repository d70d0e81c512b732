#include "script/language_resolution.h"

#include <gtest/gtest.h>

#include "support/forwarding_platform.h"
#include "support/prefix_fixture.h"

namespace cdsetup::script {
namespace {

class FixedLanguage : public testing::ForwardingPlatform {
 public:
  FixedLanguage(platform::Platform& inner, std::string id)
      : ForwardingPlatform(inner), id_(std::move(id)) {}
  std::string GetSystemLanguageId() override { return id_; }

 private:
  std::string id_;
};

class LanguageResolutionTest : public testing::PrefixFixture {
 protected:
  std::optional<std::string> Resolve(const std::string& id, std::string_view ini,
                                     std::optional<std::string> answer) {
    testing::WriteFile(medium("install.ini"), ini);
    FixedLanguage p(*platform_, id);
    InstallScript script(p, "D:\\install.ini");
    offered_.clear();
    asked_ = false;
    return ResolveLanguage(script, [&](const std::vector<std::string>& names) {
      asked_ = true;
      offered_ = names;
      return answer;
    });
  }
  bool asked_ = false;
  std::vector<std::string> offered_;
};

constexpr std::string_view kIni =
    "[Language]\r\n0415=Polski\r\n0407=\r\nNr=2\r\n0=Polski\r\n1=English\r\n";

TEST_F(LanguageResolutionTest, MappedSystemLanguageNeedsNoPage) {
  EXPECT_EQ(Resolve("0415", kIni, "unused"), "Polski");
  EXPECT_FALSE(asked_);
}

TEST_F(LanguageResolutionTest, UnmappedOrEmptyMappingAsksWithTheListedNames) {
  EXPECT_EQ(Resolve("0409", kIni, "English"), "English");
  EXPECT_TRUE(asked_);
  EXPECT_EQ(offered_, (std::vector<std::string>{"Polski", "English"}));
  // A key that is present but empty counts as not found.
  EXPECT_EQ(Resolve("0407", kIni, "Deutsch"), "Deutsch");
  EXPECT_TRUE(asked_);
}

TEST_F(LanguageResolutionTest, CancelEndsAndAMissingScriptOffersNothing) {
  EXPECT_EQ(Resolve("0409", kIni, std::nullopt), std::nullopt);
  EXPECT_EQ(Resolve("0415", "", "typed"), "typed");
  EXPECT_TRUE(offered_.empty());
}

}  // namespace
}  // namespace cdsetup::script
