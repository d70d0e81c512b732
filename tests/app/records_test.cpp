// The main dialog's records, links and closing extras, each on its own over a
// real prefix and the demo medium: what they write, and what they refuse.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/install_dlg.h"
#include "demo_medium/demo_medium.h"
#include "platform/create_directory_path.h"
#include "platform/prefix/code_page.h"
#include "platform/prefix/shell_link.h"
#include "support/page_fixture.h"
#include "support/recording_runner.h"

namespace cdsetup::app {
namespace {

using platform::RegRoot;
using testing::ReadFile;

class RecordsTest : public testing::PageFixture {
 protected:
  void SetUp() override {
    runner_ = recorder_;
    PageFixture::SetUp();
    ASSERT_TRUE(demo::BuildDemoMedium(medium(), demo::DemoOptions{1, 0.1}).ok());
    // The state OnInitDialog leaves, without its pages.
    main_ = std::make_unique<CInstallDlg>(windows(), *platform_);
    main_->m_strLanguage = "Polski";
    main_->m_strRegKey += "Demo_Polski";
    main_->m_strUninstallKey += "Demo_Polski";
    main_->m_szCompanyName = "Torvanel";
    main_->m_szProgramName = "Demo";
    main_->m_szCdDrive = "d";
    main_->m_szTargetDir = "C:\\Gry\\Demo";
    main_->m_nShortcuts = 2;
    main_->m_shortcuts[0] = {"Demo.lnk", "demo.exe", ""};
    main_->m_shortcuts[1] = {"Czytaj.lnk", "Dane\\czytaj.txt", ""};
  }

  platform::ShellLink Link(const std::string& windows_path) {
    auto host = platform_->HostPath(windows_path);
    EXPECT_TRUE(host.ok());
    auto link = platform::DecodeShellLink(ReadFile(*host), platform::CodePage(1250));
    EXPECT_TRUE(link.ok()) << link.status().ToString();
    return link.ok() ? *link : platform::ShellLink{};
  }

  std::string Programs() {
    auto programs =
        main_->ReadRegString(RegRoot::kCurrentUser, CInstallDlg::kShellFolders, "Programs");
    EXPECT_TRUE(programs.ok());
    return programs.value_or("");
  }
  std::string Read(RegRoot root, const std::string& key, const std::string& name) {
    return main_->ReadRegString(root, key, name).value_or("(none)");
  }

  std::shared_ptr<testing::RecordingRunner> recorder_ =
      std::make_shared<testing::RecordingRunner>();
  // Made once the platform is there: the dialog finds its script through it.
  std::unique_ptr<CInstallDlg> main_;
};

TEST_F(RecordsTest, RegistryStringsRoundTripAndLongValuesAreNotTaken) {
  const std::string& key = main_->m_strRegKey;
  ASSERT_TRUE(main_->WriteRegString(RegRoot::kCurrentUser, key, "Lang", "Polski").ok());
  EXPECT_EQ(Read(RegRoot::kCurrentUser, key, "Lang"), "Polski");
  // A value read back goes through a 200-byte buffer: 199 characters fit.
  ASSERT_TRUE(
      main_->WriteRegString(RegRoot::kCurrentUser, key, "Fits", std::string(199, 'a')).ok());
  ASSERT_TRUE(
      main_->WriteRegString(RegRoot::kCurrentUser, key, "Long", std::string(200, 'a')).ok());
  EXPECT_EQ(Read(RegRoot::kCurrentUser, key, "Fits"), std::string(199, 'a'));
  EXPECT_TRUE(main_->ReadRegString(RegRoot::kCurrentUser, key, "Long").status().IsRefused());
  EXPECT_TRUE(main_->ReadRegString(RegRoot::kCurrentUser, "Software\\Missing", "Lang")
                  .status()
                  .IsNotFound());
  EXPECT_TRUE(main_->DeleteRegValue(RegRoot::kCurrentUser, key, "Lang").ok());
  EXPECT_TRUE(main_->DeleteRegValue(RegRoot::kCurrentUser, key, "Lang").IsNotFound());
  EXPECT_TRUE(main_->RecordsWritten().ok());
}

TEST_F(RecordsTest, RegistrationWritesTheUninstallEntryTheLinksAndTheProductKey) {
  ASSERT_TRUE(
      main_->WriteRegString(RegRoot::kCurrentUser, main_->m_strRegKey, "ProgramPath", "old").ok());
  ASSERT_TRUE(main_->CreateShortcutsAndUninstallEntry(main_->m_szTargetDir, "Polski").ok());
  const std::string& uninstall = main_->m_strUninstallKey;
  EXPECT_EQ(Read(RegRoot::kLocalMachine, uninstall, "DisplayName"), "Demo");
  EXPECT_EQ(Read(RegRoot::kLocalMachine, uninstall, "UninstallString"),
            "C:\\Gry\\Demo\\odinstaluj.exe");
  EXPECT_EQ(Read(RegRoot::kCurrentUser, main_->m_strRegKey, "ProgramPath"), "C:\\Gry\\Demo");
  EXPECT_EQ(Read(RegRoot::kCurrentUser, main_->m_strRegKey, "Lang"), "Polski");
  EXPECT_TRUE(main_->RecordsWritten().ok());

  const std::string folder = Programs() + "\\Torvanel\\Demo\\";
  platform::ShellLink link = Link(folder + "Czytaj.lnk");
  EXPECT_EQ(link.target, "C:\\Gry\\Demo\\Dane\\czytaj.txt");
  EXPECT_EQ(link.working_directory, "C:\\Gry\\Demo");
  EXPECT_EQ(Link(folder + "Demo.lnk").target, "C:\\Gry\\Demo\\demo.exe");
}

TEST_F(RecordsTest, TheFallbackRecordNamesTheProgramInsteadOfItsPath) {
  ASSERT_TRUE(main_->SaveProgramAndLanguage("C:\\Gry\\Demo", "Polski").ok());
  EXPECT_EQ(Read(RegRoot::kCurrentUser, main_->m_strRegKey, "Program"), "C:\\Gry\\Demo");
  EXPECT_EQ(Read(RegRoot::kCurrentUser, main_->m_strRegKey, "ProgramPath"), "(none)");
}

TEST_F(RecordsTest, ALinkPathLongerThanAPathBufferIsNotWritten) {
  const std::string folder = Programs() + "\\";
  ASSERT_TRUE(platform::CreateDirectoryPath(*platform_, folder).ok());
  const std::string name_fits(259 - folder.size() - 4, 'n');
  EXPECT_TRUE(
      main_->CreateShortcut("C:\\x.exe", folder + name_fits + ".lnk", nullptr, nullptr, "").ok());
  EXPECT_TRUE(main_->CreateShortcut("C:\\x.exe", folder + name_fits + "n.lnk", nullptr, nullptr, "")
                  .IsRefused());
  EXPECT_FALSE(platform_->GetFileInfo(folder + name_fits + "n.lnk").ok());
  // A folder that is not there is a failure, not a link somewhere else.
  EXPECT_FALSE(main_->CreateShortcut("C:\\x.exe", "C:\\Nie\\Ma\\a.lnk", nullptr, nullptr, "").ok());
}

TEST_F(RecordsTest, TheSharedUninstallerGoesToTheWindowsFolderAndItsFailureIsReported) {
  EXPECT_TRUE(main_->InstallSharedUninstaller().ok());
  EXPECT_EQ(ReadFile(c_drive("windows/TV/Kestrune.exe")), ReadFile(medium("Kestrune.exe")));
  std::filesystem::remove(medium("Kestrune.exe"));
  const base::Status missing = main_->InstallSharedUninstaller();
  EXPECT_TRUE(missing.IsNotFound()) << missing.ToString();
}

TEST_F(RecordsTest, ExplorerIsStartedOnTheProductsFolderWithoutWaiting) {
  ASSERT_TRUE(main_->OpenProgramsFolder().ok());
  ASSERT_EQ(recorder_->starts.size(), 1u);
  EXPECT_EQ(recorder_->starts[0].wait, platform::Wait::kNo);
  main_->m_szProgramName = std::string(260, 'p');
  EXPECT_TRUE(main_->OpenProgramsFolder().IsRefused());
  EXPECT_EQ(recorder_->starts.size(), 1u);  // nothing started for a path too long
}

TEST_F(RecordsTest, TheDirectXSetupRunsFromTheCdWhateverLetterTheScriptNames) {
  // The script names X:\DirectX\dxsetup.exe; the medium is D:.
  EXPECT_TRUE(main_->RunDirectXSetup().ok());
  ASSERT_EQ(recorder_->starts.size(), 1u);
  EXPECT_EQ(recorder_->starts[0].wait, platform::Wait::kYes);
  const std::string& program = recorder_->starts[0].argv.back();
  EXPECT_EQ(program.substr(program.size() - 20), "/DirectX/dxsetup.exe");
  EXPECT_EQ(program.rfind(medium(), 0), 0u) << program;
  // On another letter there is nothing to run: a failure, not a crash.
  main_->m_szCdDrive = "q";
  EXPECT_FALSE(main_->RunDirectXSetup().ok());
  EXPECT_EQ(recorder_->starts.size(), 1u);
}

}  // namespace
}  // namespace cdsetup::app
