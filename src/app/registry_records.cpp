// The main dialog's registry records: the uninstall entry, the per-user
// product key, and the registration that also makes the shortcuts.
#include "app/install_dlg.h"
#include "base/limits.h"
#include "platform/create_directory_path.h"
#include "script/install_script.h"

namespace cdsetup::app {

using base::Status;
using platform::RegRoot;

namespace {

constexpr std::size_t kRegBuffer = base::kShortBuffer;

const char* RootName(RegRoot root) {
  return root == RegRoot::kLocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

}  // namespace

base::Result<std::string> CInstallDlg::ReadRegString(RegRoot root, const std::string& key,
                                                     const std::string& name) {
  auto opened = P().RegOpenKeyA(root, key);
  if (!opened.ok()) return opened.status();
  auto read = P().RegQueryValueA(*opened, name);
  P().RegCloseKey(*opened);
  if (!read.ok()) return read.status();
  // The value is read into a 200-byte buffer: a longer one is not taken.
  if (read->size() > kRegBuffer - 1) {
    return Status::Refused(name + " is longer than " + std::to_string(kRegBuffer - 1));
  }
  return read;
}

Status CInstallDlg::WriteRegString(RegRoot root, const std::string& key, const std::string& name,
                                   const std::string& value, ValueKind kind) {
  const std::string where = std::string(RootName(root)) + "\\" + key + " " + name;
  auto created = P().RegCreateKeyA(root, key);
  Status set = !created.ok()              ? created.status()
               : kind == ValueKind::kText ? P().RegSetTextValueA(*created, name, value)
                                          : P().RegSetValueA(*created, name, value);
  if (created.ok()) P().RegCloseKey(*created);
  Log("registry: " + where + " = " + (kind == ValueKind::kName ? base::NameInLog(value) : value) +
      (set.ok() ? "" : " (failed: " + set.ToString() + ")"));
  // No message shows this failure, but the run must not end as installed.
  if (!set.ok()) m_unrecorded.push_back(where);
  return set.WithContext("write " + where);
}

Status CInstallDlg::DeleteRegValue(RegRoot root, const std::string& key, const std::string& name) {
  auto opened = P().RegOpenKeyA(root, key);
  if (!opened.ok()) return opened.status();
  Status deleted = P().RegDeleteValueA(*opened, name);
  P().RegCloseKey(*opened);
  return deleted;
}

Status CInstallDlg::ReplaceProductValues(const std::pair<const char*, std::string> (&values)[2]) {
  Status first;
  for (const auto& [name, value] : values) {
    if (ReadRegString(RegRoot::kCurrentUser, m_strRegKey, name).ok()) {
      base::IgnoreResult(DeleteRegValue(RegRoot::kCurrentUser, m_strRegKey, name),
                         "the write that follows replaces the value either way");
    }
    // The path is the game's name for its folder; the language, a text.
    const ValueKind kind = std::string_view(name) == "Lang" ? ValueKind::kText : ValueKind::kName;
    Status written = WriteRegString(RegRoot::kCurrentUser, m_strRegKey, name, value, kind);
    if (first.ok()) first = written;
  }
  return first;
}

Status CInstallDlg::SaveProgramPathAndLanguage(const std::string& language) {
  return ReplaceProductValues({{"ProgramPath", m_szTargetDir}, {"Lang", language}});
}

Status CInstallDlg::SaveProgramAndLanguage(const std::string& target_dir,
                                           const std::string& language) {
  return ReplaceProductValues({{"Program", target_dir}, {"Lang", language}});
}

std::string CInstallDlg::ProgramsFolder() {
  std::string folder = P().ProgramsFolder();
  // The folder is read into a 200-byte buffer: a longer one is not taken.
  if (folder.size() > kRegBuffer - 1) {
    Log("the Start-menu folder is longer than " + std::to_string(kRegBuffer - 1) + ": " +
        base::NameInLog(folder));
    folder.clear();
  }
  return folder;
}

std::string CInstallDlg::StartMenuFolder() {
  // Without the Shell Folders value the folder is made from the root.
  std::string folder = ProgramsFolder();
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return platform::TextNamedPath(folder, m_szCompanyName + "\\" + m_szProgramName + "\\");
}

Status CInstallDlg::CreateShortcutsAndUninstallEntry(const std::string& target_dir,
                                                     const std::string& language) {
  const std::string folder = StartMenuFolder();
  const std::string uninstaller = Texts().Option("DEINSTALLEXE_NAME");
  // A value not written shows no message and does not stop the shortcuts:
  // it is logged, and counted in the run's outcome (RecordsWritten).
  base::IgnoreResult(WriteRegString(RegRoot::kLocalMachine, m_strUninstallKey, "DisplayName",
                                    m_szProgramName, ValueKind::kText),
                     "counted by RecordsWritten");
  base::IgnoreResult(WriteRegString(RegRoot::kLocalMachine, m_strUninstallKey, "UninstallString",
                                    target_dir + "\\" + uninstaller),
                     "counted by RecordsWritten");
  if (Status made = platform::CreateDirectoryPath(P(), folder); !made.ok()) {
    Log("cannot create the Start-menu folder " + base::NameInLog(folder) + ": " + made.ToString());
    return made.WithContext("the Start-menu folder");
  }
  std::string base = target_dir.empty() ? "\\" : target_dir;
  if (base.back() != '\\') base += '\\';
  const std::string empty;
  for (int n = 0; n < m_nShortcuts; ++n) {
    const ShortcutEntry& e = m_shortcuts[static_cast<std::size_t>(n)];
    // The program was copied under its name from the list: a text too.
    Status made = CreateShortcut(platform::TextNamedPath(base, e.szFile), folder + e.szDescription,
                                 nullptr, &base, empty);
    if (!made.ok()) return made;
  }
  base::IgnoreResult(SaveProgramPathAndLanguage(language), "counted by RecordsWritten");
  return Status::Ok();
}

Status CInstallDlg::RecordsWritten() const {
  if (m_unrecorded.empty()) return Status::Ok();
  std::string list;
  for (const std::string& value : m_unrecorded) list += (list.empty() ? "" : ", ") + value;
  return Status::IoError("not recorded in the registry: " + list);
}

}  // namespace cdsetup::app
