// The main dialog: the background picture, the product title, install and
// exit; and the installation state that the install sequence, the registry
// records, the shortcuts and the closing extras work on.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/action_log.h"
#include "base/limits.h"
#include "base/result.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "platform/platform.h"
#include "resources/resource_ids.h"
#include "script/localized_texts.h"

namespace cdsetup::copy {
class SoundConverter;
}

namespace cdsetup::app {

struct ShortcutEntry {
  std::string szDescription;  // the link file's name
  std::string szFile;         // the program, relative to the target directory
  std::string szWorkDir;      // read and kept; no operation uses it
};

/// How a run of the installer ended, for the exit status.
enum class Outcome {
  kNotRun = -1,
  kInstalled = 0,
  kCancelled = 1,  // the user gave up or refused
  kCopyFailed = 2,
  kRegistrationFailed = 3,
  kBadCommandLine = 4,  // an answer the script cannot take; nothing was done
};

/// What the command line may set in place of the system's answers.
struct InstallSettings {
  std::optional<std::string> language;  // the language section to use
  /// One line per action; null for none.
  base::ActionLog* log = nullptr;
  /// Where archive entries are converted; the audio converters when null.
  copy::SoundConverter* converter = nullptr;
  /// Given the code page of the chosen language's texts once the language is
  /// settled, to read them in; null when the code page is fixed (a
  /// --codepage, or a system whose texts are all in its own code page).
  std::function<void(int code_page)> use_code_page;
  /// False where nobody would see a folder window (a silent run, no
  /// display): the closing step then does not open the Start-menu folder.
  bool show_folders = true;
};

class CInstallDlg : public framework::CDialog {
 public:
  static constexpr int IDD = resources::IDD_MAIN;
  static constexpr int kMaxShortcuts = base::kMaxShortcuts;
  static constexpr int kAppIcon = resources::IDI_APP;
  static constexpr int kBackgroundWidth = resources::kBackgroundWidth;
  static constexpr int kBackgroundHeight = resources::kBackgroundHeight;
  static constexpr std::uint64_t kMaxBackgroundFile = resources::kMaxBackgroundFile;
  static constexpr const char* kShellFolders =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

  /// Runs on `platform`, which must outlive the dialog.
  CInstallDlg(framework::Owner owner, platform::Platform& platform, InstallSettings settings = {});

  bool OnInitDialog() override;
  void DoDataExchange(framework::CDataExchange* dx) override;
  void OnOK() override;
  void OnPaint() override;
  void PaintClient(framework::CDC& dc) override { Paint(dc); }
  int OnQueryDragIcon() override { return kAppIcon; }
  /// Draws what OnPaint shows into `dc`.
  void Paint(framework::CDC& dc);

  // Registry records. A value longer than 199 characters is not read.
  base::Result<std::string> ReadRegString(platform::RegRoot root, const std::string& key,
                                          const std::string& name);
  /// A value the game reads (a path, a language) or a text people read.
  enum class ValueKind { kName, kText };
  /// Logs the value; a failure is also kept for RecordsWritten.
  base::Status WriteRegString(platform::RegRoot root, const std::string& key,
                              const std::string& name, const std::string& value,
                              ValueKind kind = ValueKind::kName);
  base::Status DeleteRegValue(platform::RegRoot root, const std::string& key,
                              const std::string& name);
  base::Status SaveProgramPathAndLanguage(const std::string& language);
  base::Status SaveProgramAndLanguage(const std::string& target_dir, const std::string& language);
  /// Fails only when the Start-menu folder or a link cannot be made; the
  /// values it writes are counted by RecordsWritten.
  base::Status CreateShortcutsAndUninstallEntry(const std::string& target_dir,
                                                const std::string& language);
  /// Every registry value this dialog wrote, or the failure naming those it
  /// could not write.
  base::Status RecordsWritten() const;
  // Shortcuts.
  /// `link_file` and `target` may be TextNamedPaths.
  base::Status CreateShortcut(const std::string& target, const std::string& link_file,
                              const std::string* arguments, const std::string* work_dir,
                              const std::string& description);
  // Closing extras.
  base::Status OpenProgramsFolder();
  base::Status InstallSharedUninstaller();
  void RunOtherFiles();
  /// Fails when the setup cannot be started or ends with a status other than 0.
  base::Status RunDirectXSetup();

  // The state, as the sequence and the tests read it.
  int m_nShortcuts = 0;
  std::string m_strRegKey;
  std::string m_strUninstallKey;
  std::string m_strIniPath;
  std::string m_strLanguage;
  std::string m_szCdDrive = "X";
  std::string m_szTargetDir;
  std::string m_szCompanyName;
  std::string m_szProgramName;
  int m_hIcon = 0;
  framework::ImagePtr m_hBackground;
  std::array<ShortcutEntry, kMaxShortcuts> m_shortcuts;
  framework::CButton m_btnInstall;
  framework::CButton m_btnExit;

  /// One run of the install sequence: its texts and pages.
  struct Run;

  Outcome outcome() const { return m_outcome; }
  /// Why the last run ended without installing; empty otherwise.
  const std::string& reason() const { return m_strReason; }

 private:
  platform::Platform& P() const;
  /// The script's texts in the chosen language (none before it is chosen).
  script::LocalizedTexts Texts() const;
  /// The installer's own directory (its path cut at the last "\").
  std::string InstallerDirectory(std::size_t buffer) const;
  void Log(const std::string& line) const;
  int Ask(const std::string& text, const std::string& caption, framework::UINT type, int id);
  // The install sequence's steps, in the order OnOK runs them.
  base::Status ShowLicence(Run& run);
  base::Status ChooseInstallType(Run& run);
  base::Status ChooseTargetDirectory(Run& run);
  base::Status MakeTargetDirectory(Run& run);
  /// Asks whether to go on when the target's drive has less free space
  /// than the copy adds (`needed`); an IoError for No.
  base::Status CheckFreeSpace(Run& run, std::uint64_t needed);
  base::Status CheckRegistry(Run& run);
  base::Status CopyFiles(Run& run);
  base::Status RegisterInstallation(Run& run);
  base::Status ShowClosingMessage(Run& run);
  base::Status CopyScript(Run& run);
  base::Status CopyBackground(Run& run);
  base::Status OfferDirectX(Run& run);

  /// The sequence's early end: the main dialog comes back.
  void EarlyEnd(Outcome outcome, std::string reason);
  void LoadBackground();
  void FindCdDrive();
  /// Writes each value under the product key, deleting an old one first.
  base::Status ReplaceProductValues(const std::pair<const char*, std::string> (&values)[2]);
  /// The user's Start-menu programs folder; empty when there is none or it
  /// is too long to be read.
  std::string ProgramsFolder();
  /// Composes the product's Start-menu folder, ending in "\": a
  /// TextNamedPath, whose company and program names are texts.
  std::string StartMenuFolder();

  platform::Platform& m_platform;
  InstallSettings m_settings;
  Outcome m_outcome = Outcome::kNotRun;
  std::string m_strReason;
  std::vector<std::string> m_unrecorded;  // registry values that could not be written
};

}  // namespace cdsetup::app
