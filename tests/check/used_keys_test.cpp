// The check's table of the keys the installer reads, held to the installer:
// a whole installation with every page and question is recorded, and every
// key it reads must be one the check knows, every IDS_ text the check asks
// for one it read.
#include "check/used_keys.h"

#include <gtest/gtest.h>

#include <set>

#include "app/install_dlg.h"
#include "base/ascii.h"
#include "copy/audio_sound_converter.h"
#include "demo_medium/demo_medium.h"
#include "support/forwarding_platform.h"
#include "support/page_fixture.h"
#include "support/recording_runner.h"

namespace cdsetup::check {
namespace {

using framework::IDOK;
using framework::IDYES;
using testing::ScriptedUi;

// Records the section and key of every read of a script.
class RecordingReads : public testing::ForwardingPlatform {
 public:
  using ForwardingPlatform::ForwardingPlatform;
  std::size_t GetPrivateProfileStringA(std::string_view s, std::string_view k, std::string_view d,
                                       std::span<char> b, std::string_view p) override {
    reads.insert({base::ToLowerAscii(s), std::string(k)});
    return ForwardingPlatform::GetPrivateProfileStringA(s, k, d, b, p);
  }
  // The system speaks Polish: the language comes from [Language].
  std::string GetSystemLanguageId() override { return "0415"; }

  std::set<std::pair<std::string, std::string>> reads;
};

class UsedKeys : public testing::PageFixture {
 protected:
  void SetUp() override {
    runner_ = std::make_shared<testing::RecordingRunner>();
    PageFixture::SetUp();
    ASSERT_TRUE(demo::BuildDemoMedium(medium(), demo::DemoOptions{2, 0.2}).ok());
    recording_ = std::make_unique<RecordingReads>(*platform_);
  }

  std::unique_ptr<RecordingReads> recording_;
};

TEST_F(UsedKeys, EveryKeyTheInstallerReadsIsKnownAndEveryTextAskedForIsRead) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> quiet(std::fopen("/dev/null", "w"), &std::fclose);
  copy::AudioSoundConverter converter(audio::AudioDiagnostics{quiet.get(), quiet.get()});
  app::InstallSettings settings;
  settings.converter = &converter;
  app::CInstallDlg main(windows(), *recording_, settings);
  ui_.ForNextDialog({ScriptedUi::Click(IDOK)});  // install
  ui_.ForNextDialog({ScriptedUi::Click(IDOK)});  // the licence
  ui_.ForNextDialog({ScriptedUi::Click(resources::IDC_TYPE_MAX), ScriptedUi::Click(IDOK)});
  ui_.ForNextDialog({ScriptedUi::Click(IDOK)});  // the proposed folder
  ui_.ForNextDialog({ui_.Wait(5000)});           // the copy
  // Create the folder, the closing message, both extra programs, DirectX.
  for (int answer : {IDYES, IDOK, IDYES, IDYES, IDYES}) ui_.AnswerNextBox(answer);
  main.DoModal();
  ASSERT_EQ(main.outcome(), app::Outcome::kInstalled) << main.reason();

  std::set<std::string> texts_read;
  for (const auto& [section, key] : recording_->reads) {
    SectionKind kind = SectionKind::kLanguage;
    if (section == "option") kind = SectionKind::kOption;
    if (section == "language") kind = SectionKind::kLanguageList;
    if (section == "min" || section == "std" || section == "max") kind = SectionKind::kInstallType;
    EXPECT_TRUE(kind != SectionKind::kLanguage || section == "polski") << section;
    EXPECT_TRUE(IsReadKey(kind, key)) << "[" << section << "] " << key;
    if (kind == SectionKind::kLanguage) texts_read.insert(key);
  }
  // The errors of a run that fails are not read by this one.
  const std::set<std::string_view> on_failure = {"IDS_E_CREATING_DIR", "IDS_E_COPYING_FILES",
                                                 "IDS_E_CREATING_SHORTCUT"};
  for (const UsedText& text : UsedTexts()) {
    if (on_failure.count(text.key)) continue;
    EXPECT_EQ(texts_read.count(std::string(text.key)), 1u) << text.key;
  }
}

TEST(FamilyIndex, TheKeysTheInstallerForms) {
  EXPECT_EQ(FamilyIndex("File%d", "File0"), 0);
  EXPECT_EQ(FamilyIndex("File%d", "file12"), 12);
  EXPECT_EQ(FamilyIndex("%d", "7"), 7);
  for (const char* no : {"File", "File01", "File-1", "File+1", "File1x", "Files1", "x7"}) {
    EXPECT_EQ(FamilyIndex(no[0] == 'x' ? "%d" : "File%d", no), std::nullopt) << no;
  }
}

}  // namespace
}  // namespace cdsetup::check
