// The install sequence through its states, driven by scripted answers over a
// real prefix and the demo medium: each refusal or failure brings back the
// main dialog, and success ends it.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/install_dlg.h"
#include "copy/audio_sound_converter.h"
#include "demo_medium/demo_medium.h"
#include "framework/input.h"
#include "platform/prefix/code_page.h"
#include "resources/resource_ids.h"
#include "support/forwarding_platform.h"
#include "support/memory_log.h"
#include "support/page_fixture.h"
#include "support/recording_runner.h"

namespace cdsetup::app {
namespace {

using framework::CDialog;
using framework::IDCANCEL;
using framework::IDNO;
using framework::IDOK;
using framework::IDYES;
using testing::ReadFile;
using testing::ScriptedUi;

class InstallSequenceTest : public testing::PageFixture {
 protected:
  void SetUp() override {
    runner_ = recorder_;
    PageFixture::SetUp();
    ASSERT_TRUE(demo::BuildDemoMedium(medium(), demo::DemoOptions{5, 0.3}).ok());
  }

  // Replaces `from` by `to` in the medium's script.
  void EditScript(const std::string& from, const std::string& to) {
    std::string ini = ReadFile(medium("install.ini"));
    ini.replace(ini.find(from), from.size(), to);
    testing::WriteFile(medium("install.ini"), ini);
  }

  std::optional<std::string> UserValue(const std::string& key, const std::string& name) {
    auto k = platform_->RegOpenKeyA(platform::RegRoot::kCurrentUser, key);
    if (!k.ok()) return std::nullopt;
    auto v = platform_->RegQueryValueA(*k, name);
    platform_->RegCloseKey(*k);
    if (!v.ok()) return std::nullopt;
    return *v;
  }

  // The steps of a run up to the target directory page's answer.
  void UpToTarget(std::vector<ScriptedUi::Step> target,
                  std::vector<ScriptedUi::Step> type = {ScriptedUi::Click(IDOK)}) {
    ui_.ForNextDialog({ScriptedUi::Click(IDOK)});  // licence accepted
    ui_.ForNextDialog(std::move(type));
    ui_.ForNextDialog(std::move(target));
  }

  // A whole run to its end: install, the licence, the proposed type and
  // folder, the copy; Yes to making the folder, the closing message, No to
  // both extra programs and to DirectX.
  void WholeRunScripted() {
    ui_.ForNextDialog({ScriptedUi::Click(IDOK)});
    UpToTarget({ScriptedUi::Click(IDOK)});
    ui_.ForNextDialog({ui_.Wait(5000)});
    for (int answer : {IDYES, IDOK, IDNO, IDNO, IDNO}) ui_.AnswerNextBox(answer);
  }

  // Asserts that the main dialog is back and shown, then lets it go on.
  ScriptedUi::Step BackAtMain(Outcome expected) {
    return ScriptedUi::Do([expected](CDialog& d) {
      auto& main = static_cast<CInstallDlg&>(d);
      EXPECT_EQ(main.outcome(), expected) << main.reason();
      EXPECT_FALSE(main.IsIconic());
    });
  }

  InstallSettings Polish() {
    InstallSettings s;
    s.language = "Polski";
    s.converter = &converter_;
    return s;
  }

  // The converters' lines stay out of the test's output.
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> quiet_{std::fopen("/dev/null", "w"),
                                                         &std::fclose};
  copy::AudioSoundConverter converter_{audio::AudioDiagnostics{quiet_.get(), quiet_.get()}};

  std::shared_ptr<testing::RecordingRunner> recorder_ =
      std::make_shared<testing::RecordingRunner>();
  static constexpr const char* kTarget = "Gry/Demo";  // below drive_c
};

TEST_F(InstallSequenceTest, RefusalsAndFailuresComeBackToTheMainDialog) {
  CInstallDlg main(windows(), *platform_, Polish());
  ui_.ForNextDialog({ScriptedUi::Click(IDOK), BackAtMain(Outcome::kCancelled),  // licence refused
                     ScriptedUi::Click(IDOK), BackAtMain(Outcome::kCancelled),  // no to the folder
                     ScriptedUi::Click(IDOK),
                     BackAtMain(Outcome::kCopyFailed),  // folder cannot be made
                     ScriptedUi::Click(IDOK), BackAtMain(Outcome::kCancelled),  // copy aborted
                     ScriptedUi::Click(IDCANCEL)});
  // 1: the licence is refused.
  ui_.ForNextDialog({ScriptedUi::Click(IDCANCEL)});
  // 2: a new folder, and No to making it.
  UpToTarget({ScriptedUi::Type(resources::IDC_PATH, "C:\\Nowy\\Katalog"), ScriptedUi::Click(IDOK)});
  ui_.AnswerNextBox(IDNO);
  // 3: the page proposes the folder chosen before; a drive that is not there.
  UpToTarget({ScriptedUi::Do([](CDialog& d) {
                EXPECT_EQ(d.GetDlgItem(resources::IDC_PATH)->GetWindowText(), "C:\\Nowy\\Katalog");
              }),
              ScriptedUi::Type(resources::IDC_PATH, "Q:\\Gry"), ScriptedUi::Click(IDOK)});
  ui_.AnswerNextBox(IDYES);
  ui_.AnswerNextBox(IDOK);
  // 4: an existing folder (no question), then the copy is aborted at once.
  UpToTarget({ScriptedUi::Type(resources::IDC_PATH, "C:\\windows"), ScriptedUi::Click(IDOK)});
  ui_.ForNextDialog({ScriptedUi::Click(IDCANCEL)});
  ui_.AnswerNextBox(IDOK);

  EXPECT_EQ(main.DoModal(), IDCANCEL);
  EXPECT_TRUE(ui_.diagnostics.empty()) << ui_.diagnostics[0];
  ASSERT_EQ(ui_.boxes.size(), 4u);
  const int expected_ids[] = {resources::IDP_CREATE_DIRECTORY, resources::IDP_CREATE_DIRECTORY,
                              resources::IDP_CANNOT_CREATE_DIRECTORY, resources::IDP_COPY_FAILED};
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(ui_.boxes[i].id, expected_ids[i]) << i;
  EXPECT_EQ(ui_.boxes[0].text, "Katalog nie istnieje. Utworzy\xE6 go?");
  EXPECT_EQ(ui_.boxes[0].caption, "Demo");
  EXPECT_EQ(ui_.boxes[2].text, "Nie mo\xBFna utworzy\xE6 katalogu.");
  EXPECT_EQ(ui_.boxes[3].caption,
            "B\xB3\xB9"
            "d kopiowania");
  EXPECT_EQ(ui_.boxes[3].icon(), framework::MB_ICONERROR);
  EXPECT_FALSE(testing::Exists(c_drive("Nowy")));
  EXPECT_EQ(UserValue(main.m_strRegKey, "ProgramPath"), std::nullopt);  // nothing registered
}

TEST_F(InstallSequenceTest, CancelledTypeStillCopiesTheStandardList) {
  CInstallDlg main(windows(), *platform_, Polish());
  ui_.ForNextDialog({ScriptedUi::Click(IDOK)});
  UpToTarget({ScriptedUi::Click(IDOK)},
             {ScriptedUi::Click(resources::IDC_TYPE_MAX), ScriptedUi::Click(IDCANCEL)});
  ui_.ForNextDialog({ui_.Wait(5000)});
  for (int answer : {IDYES, IDOK, IDNO, IDNO, IDNO}) ui_.AnswerNextBox(answer);
  EXPECT_EQ(main.DoModal(), IDCANCEL);
  EXPECT_EQ(main.outcome(), Outcome::kInstalled) << main.reason();
  EXPECT_TRUE(testing::Exists(c_drive("Gry/Demo/czytaj.txt")));  // in "std"
  EXPECT_FALSE(testing::Exists(c_drive("Gry/Demo/Dodatki")));    // only in "max"
  EXPECT_TRUE(testing::Exists(c_drive("Gry/Demo/Muzyka/temat.wav")));
  EXPECT_EQ(UserValue(main.m_strRegKey, "ProgramPath"), "C:\\Gry\\Demo");
  EXPECT_EQ(UserValue(main.m_strRegKey, "Lang"), "Polski");
  // Explorer was started on the folder, and neither extra program nor DirectX.
  ASSERT_EQ(recorder_->starts.size(), 1u);
  EXPECT_EQ(recorder_->starts[0].wait, platform::Wait::kNo);
  // The DirectX question belongs to the desktop, the extra programs' too.
  EXPECT_EQ(ui_.boxes.back().caption, "DirectX");
  EXPECT_EQ(ui_.boxes.back().id, resources::IDP_INSTALL_DIRECTX);
  EXPECT_EQ(ui_.boxes.back().owner, nullptr);
  EXPECT_EQ(ui_.boxes[1].id, resources::IDP_SETUP_COMPLETE);
  EXPECT_EQ(ui_.boxes[2].id, resources::IDP_RUN_EXTRA_PROGRAM);
  EXPECT_EQ(ui_.boxes[2].caption, "Uwaga !");
  EXPECT_EQ(ui_.boxes[2].DefaultAnswer(), IDNO);
}

TEST_F(InstallSequenceTest, EveryStepIsLoggedAndAFailedClosingCopyEndsTheRunAsACopyFailure) {
  // The script's copy cannot be written: a folder stands where it goes.
  testing::MakeDirs(c_drive("Gry/Demo/install.ini"));
  testing::MemoryLog log;
  InstallSettings settings = Polish();
  settings.log = &log;
  CInstallDlg main(windows(), *platform_, settings);
  ui_.ForNextDialog({ScriptedUi::Click(IDOK)});
  UpToTarget({ScriptedUi::Click(IDOK)});
  ui_.ForNextDialog({ui_.Wait(5000)});
  for (int answer : {IDOK, IDNO, IDNO, IDNO}) ui_.AnswerNextBox(answer);
  EXPECT_EQ(main.DoModal(), IDCANCEL);
  // The steps after it still ran, as the closing message promised them.
  EXPECT_EQ(main.outcome(), Outcome::kCopyFailed) << main.reason();
  EXPECT_NE(main.reason().find("install.ini"), std::string::npos) << main.reason();
  std::vector<std::string> steps;
  for (const std::string& line : log.lines()) {
    if (line.rfind("step ", 0) == 0) steps.push_back(line.substr(0, line.find(':')));
  }
  const std::vector<std::string> expected = {"step licence",
                                             "step install type",
                                             "step target directory",
                                             "step create the target directory",
                                             "step registry check",
                                             "step copy",
                                             "step shortcuts and records",
                                             "step registry records",
                                             "step closing message",
                                             "step open the Start-menu folder",
                                             "step shared uninstaller",
                                             "step script copy",
                                             "step background copy",
                                             "step extra programs",
                                             "step DirectX"};
  EXPECT_EQ(steps, expected);
  auto line_of = [&](const std::string& step) {
    for (const std::string& line : log.lines())
      if (line.rfind(step + ":", 0) == 0) return line;
    return std::string();
  };
  EXPECT_EQ(line_of("step copy"), "step copy: done");
  EXPECT_EQ(line_of("step script copy").rfind("step script copy: failed: ", 0), 0u)
      << line_of("step script copy");
  EXPECT_EQ(line_of("step background copy"), "step background copy: done");
  EXPECT_TRUE(testing::Exists(c_drive("Gry/Demo/tlo.bmp")));
}

// A registry that refuses one value, as a full disk or an unwritable
// system.reg would.
class RefusingValue : public testing::ForwardingPlatform {
 public:
  using ForwardingPlatform::ForwardingPlatform;
  base::Status RegSetValueA(platform::RegKey k, std::string_view n, std::string_view v) override {
    if (n == refused) return base::Status::IoError("disk full");
    return ForwardingPlatform::RegSetValueA(k, n, v);
  }
  std::string refused;
};

TEST_F(InstallSequenceTest, AValueNotWrittenShowsNoMessageButTheRunIsNotInstalled) {
  for (const char* value : {"DisplayName", "UninstallString", "ProgramPath", "Lang"}) {
    SCOPED_TRACE(value);
    RefusingValue registry(*platform_);
    registry.refused = value;
    testing::MemoryLog log;
    InstallSettings settings = Polish();
    settings.log = &log;
    CInstallDlg main(windows(), registry, settings);
    ui_.boxes.clear();
    WholeRunScripted();
    EXPECT_EQ(main.DoModal(), IDCANCEL);
    EXPECT_EQ(main.outcome(), Outcome::kRegistrationFailed) << main.reason();
    EXPECT_NE(main.reason().find(std::string(" ") + value), std::string::npos) << main.reason();
    // The links were made and the run went on to its closing message.
    std::vector<int> asked;
    for (const auto& box : ui_.boxes) asked.push_back(box.id);
    EXPECT_NE(std::find(asked.begin(), asked.end(), resources::IDP_SETUP_COMPLETE), asked.end());
    EXPECT_EQ(std::find(asked.begin(), asked.end(), resources::IDP_SHORTCUTS_FAILED), asked.end());
    int failed_lines = 0;
    for (const std::string& line : log.lines()) {
      failed_lines += line.find(std::string(" ") + value + " = ") != std::string::npos &&
                      line.find("(failed: I/O error: disk full)") != std::string::npos;
    }
    EXPECT_EQ(failed_lines, 1);
  }
}

TEST_F(InstallSequenceTest, ATargetTooLongForTheLongestFileIsRefusedBeforeTheCopy) {
  // 240 characters: a folder that can be made, but the list's deeper files
  // would not fit a path below it.
  const std::string target = "C:\\" + std::string(237, 'g');
  CInstallDlg main(windows(), *platform_, Polish());
  ui_.ForNextDialog(
      {ScriptedUi::Click(IDOK), BackAtMain(Outcome::kCopyFailed), ScriptedUi::Click(IDCANCEL)});
  UpToTarget({ScriptedUi::Type(resources::IDC_PATH, target), ScriptedUi::Click(IDOK)});
  EXPECT_EQ(main.DoModal(), IDCANCEL);
  ASSERT_FALSE(ui_.boxes.empty());
  EXPECT_EQ(ui_.boxes[0].id, resources::IDP_PATH_TOO_LONG);
  EXPECT_NE(main.reason().find("would be over 259 characters"), std::string::npos) << main.reason();
  EXPECT_FALSE(testing::Exists(c_drive(std::string(237, 'g'))));  // nothing made, nothing copied
}

// A drive with 100 kB free, less than the demo's standard install.
class SmallDrive : public testing::ForwardingPlatform {
 public:
  using ForwardingPlatform::ForwardingPlatform;
  base::Result<platform::DiskSpace> GetDiskFreeSpaceA(std::string_view) override {
    return platform::DiskSpace{8, 512, 25, 1024};
  }
};

TEST_F(InstallSequenceTest, ADriveTooSmallIsAskedAboutBeforeAnythingIsWritten) {
  SmallDrive drive(*platform_);
  // The question is ours, in the chosen language's code page as its texts are.
  platform::CodePage cp1250(1250);
  windows().SetResourceTextDecoder([&](std::string_view utf8) { return cp1250.FromUtf8(utf8); });
  CInstallDlg main(windows(), drive, Polish());
  ui_.ForNextDialog(
      {ScriptedUi::Click(IDOK), BackAtMain(Outcome::kCopyFailed),
       ScriptedUi::Do([this](CDialog&) { EXPECT_FALSE(testing::Exists(c_drive("Gry"))); }),
       ScriptedUi::Click(IDOK), BackAtMain(Outcome::kInstalled), ScriptedUi::Click(IDCANCEL)});
  // No: back to the main dialog with nothing made. Then Yes: it installs.
  UpToTarget({ScriptedUi::Click(IDOK)});
  ui_.AnswerNextBox(IDNO);
  UpToTarget({ScriptedUi::Click(IDOK)});
  ui_.ForNextDialog({ui_.Wait(5000)});
  for (int answer : {IDYES, IDYES, IDOK, IDNO, IDNO, IDNO}) ui_.AnswerNextBox(answer);
  EXPECT_EQ(main.DoModal(), IDCANCEL);
  ASSERT_GE(ui_.boxes.size(), 2u);
  EXPECT_EQ(ui_.boxes[0].id, resources::IDP_NOT_ENOUGH_SPACE);
  EXPECT_EQ(ui_.boxes[0].DefaultAnswer(), IDNO);  // Enter does not fill the drive
  const std::string& question = ui_.boxes[0].text;
  EXPECT_EQ(question.rfind("Na dysku C:\\ jest za ma\xB3o miejsca: instalacja potrzebuje ", 0), 0u)
      << question;
  EXPECT_NE(question.find(" MB, a wolne jest 0.1 MB.\n\nCzy mimo to kontynuowa\xE6?"),
            std::string::npos)
      << question;
  EXPECT_EQ(ui_.boxes[1].id, resources::IDP_NOT_ENOUGH_SPACE);
  EXPECT_TRUE(testing::Exists(c_drive("Gry/Demo/demo.exe")));
}

TEST_F(InstallSequenceTest, APictureMissingFromTheMediumIsNoFailure) {
  std::filesystem::remove(medium("tlo.bmp"));
  CInstallDlg main(windows(), *platform_, Polish());
  WholeRunScripted();
  EXPECT_EQ(main.DoModal(), IDCANCEL);
  EXPECT_EQ(main.outcome(), Outcome::kInstalled) << main.reason();
  EXPECT_TRUE(testing::Exists(c_drive("Gry/Demo/demo.exe")));
}

TEST_F(InstallSequenceTest, APictureNameThatClimbsOutOfTheTargetIsRefused) {
  EditScript("Bitmap=tlo.bmp", "Bitmap=..\\..\\tlo.bmp");
  testing::WriteFile(c_drive("tlo.bmp"), "kept");  // what the climb would overwrite
  CInstallDlg main(windows(), *platform_, Polish());
  WholeRunScripted();
  EXPECT_EQ(main.DoModal(), IDCANCEL);
  EXPECT_EQ(main.outcome(), Outcome::kCopyFailed) << main.reason();
  EXPECT_NE(main.reason().find("Bitmap"), std::string::npos) << main.reason();
  EXPECT_EQ(ReadFile(c_drive("tlo.bmp")), "kept");
}

TEST_F(InstallSequenceTest, ShortcutFailureLeavesTheFallbackRecord) {
  // A company name that cannot be a folder name.
  EditScript("IDS_COMPANY_NAME=Torvanel", "IDS_COMPANY_NAME=Tor*vanel");
  CInstallDlg main(windows(), *platform_, Polish());
  ui_.ForNextDialog({ScriptedUi::Click(IDOK), BackAtMain(Outcome::kRegistrationFailed),
                     ScriptedUi::Click(IDCANCEL)});
  UpToTarget({ScriptedUi::Click(IDOK)});
  ui_.ForNextDialog({ui_.Wait(5000)});
  ui_.AnswerNextBox(IDYES);
  ui_.AnswerNextBox(IDOK);
  EXPECT_EQ(main.DoModal(), IDCANCEL);
  EXPECT_EQ(ui_.boxes.back().text, "Nie mo\xBFna utworzy\xE6 skr\xF3t\xF3w.");
  EXPECT_EQ(UserValue(main.m_strRegKey, "Program"), "C:\\Gry\\Demo");
  EXPECT_EQ(UserValue(main.m_strRegKey, "Lang"), "Polski");
  EXPECT_EQ(UserValue(main.m_strRegKey, "ProgramPath"), std::nullopt);
  auto hklm = platform_->RegOpenKeyA(platform::RegRoot::kLocalMachine, main.m_strUninstallKey);
  ASSERT_TRUE(hklm.ok());  // the uninstall entry stays
  auto uninstall = platform_->RegQueryValueA(*hklm, "UninstallString");
  ASSERT_TRUE(uninstall.ok());
  EXPECT_EQ(*uninstall, "C:\\Gry\\Demo\\odinstaluj.exe");
  platform_->RegCloseKey(*hklm);
}

TEST_F(InstallSequenceTest, StartUpReadsTheScriptAndFindsTheCd) {
  EditScript("Shortcuts=3", "Shortcuts=12x");
  CInstallDlg main(windows(), *platform_, Polish());
  ui_.ForNextDialog({ScriptedUi::Do([](CDialog& d) {
                       auto& m = static_cast<CInstallDlg&>(d);
                       EXPECT_EQ(m.m_nShortcuts, 10);  // cut to the table's size
                       EXPECT_EQ(m.m_szCdDrive, "d");
                       EXPECT_EQ(m.m_strIniPath, "D:\\install.ini");
                       EXPECT_EQ(m.m_strRegKey, "Software\\Torvanel\\DemoSwiatla_Polski");
                       EXPECT_EQ(m.m_szTargetDir, "C:\\Gry\\Demo");
                       EXPECT_EQ(d.GetDlgItem(IDOK)->GetWindowText(), "Dalej >>");
                       ASSERT_TRUE(m.m_hBackground);
                       EXPECT_EQ(m.m_hBackground->width, 350);
                       framework::CDC dc;
                       m.Paint(dc);
                       ASSERT_EQ(dc.ops().size(), 1u);
                       EXPECT_EQ(dc.ops()[0].kind, framework::DrawOp::kBitmap);
                       EXPECT_EQ(dc.ops()[0].rect, (framework::CRect{0, 0, 350, 250}));
                       d.ShowWindow(framework::SW_MINIMIZE);
                       framework::CDC icon;
                       m.Paint(icon);
                       ASSERT_EQ(icon.ops().size(), 1u);
                       EXPECT_EQ(icon.ops()[0].kind, framework::DrawOp::kIcon);
                     }),
                     ScriptedUi::Key(framework::VK_ESCAPE)});
  EXPECT_EQ(main.DoModal(), IDCANCEL);
  EXPECT_EQ(main.outcome(), Outcome::kNotRun);
}

}  // namespace
}  // namespace cdsetup::app
