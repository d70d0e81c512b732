// The main dialog's registry records: the uninstall entry, the per-user
// product key, and the registration that also makes the shortcuts.
#include "app/install_dlg.h"
#include "base/limits.h"
#include "platform/create_directory_path.h"
#include "script/install_script.h"

namespace cdsetup::app {

using platform::RegRoot;

namespace {

constexpr std::size_t kRegBuffer = base::kShortBuffer;

const char* RootName(RegRoot root) {
  return root == RegRoot::kLocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

}  // namespace

bool CInstallDlg::ReadRegString(RegRoot root, const std::string& key, const std::string& name,
                                std::string& value) {
  auto opened = P().RegOpenKeyA(root, key);
  if (!opened.ok()) return false;
  auto read = P().RegQueryValueA(*opened, name);
  P().RegCloseKey(*opened);
  // The value is read into a 200-byte buffer: a longer one is not taken.
  if (!read.ok() || read->size() > kRegBuffer - 1) return false;
  value = *read;
  return true;
}

bool CInstallDlg::WriteRegString(RegRoot root, const std::string& key, const std::string& name,
                                 const std::string& value) {
  auto created = P().RegCreateKeyA(root, key);
  if (!created.ok()) {
    Log("registry: cannot open " + std::string(RootName(root)) + "\\" + key + ": " +
        created.status().ToString());
    return false;
  }
  base::Status set = P().RegSetValueA(*created, name, value);
  P().RegCloseKey(*created);
  Log("registry: " + std::string(RootName(root)) + "\\" + key + " " + name + " = " + value +
      (set.ok() ? "" : " (failed: " + set.ToString() + ")"));
  return set.ok();
}

bool CInstallDlg::DeleteRegValue(RegRoot root, const std::string& key, const std::string& name) {
  auto opened = P().RegOpenKeyA(root, key);
  if (!opened.ok()) return false;
  base::Status deleted = P().RegDeleteValueA(*opened, name);
  P().RegCloseKey(*opened);
  return deleted.ok();
}

void CInstallDlg::ReplaceProductValues(const std::pair<const char*, std::string> (&values)[2]) {
  for (const auto& [name, value] : values) {
    std::string old;
    if (ReadRegString(RegRoot::kCurrentUser, m_strRegKey, name, old)) {
      DeleteRegValue(RegRoot::kCurrentUser, m_strRegKey, name);
    }
    WriteRegString(RegRoot::kCurrentUser, m_strRegKey, name, value);
  }
}

bool CInstallDlg::SaveProgramPathAndLanguage(const std::string& language) {
  ReplaceProductValues({{"ProgramPath", m_szTargetDir}, {"Lang", language}});
  return true;
}

bool CInstallDlg::SaveProgramAndLanguage(const std::string& target_dir,
                                         const std::string& language) {
  ReplaceProductValues({{"Program", target_dir}, {"Lang", language}});
  return true;
}

std::string CInstallDlg::StartMenuFolder() {
  std::string folder;
  ReadRegString(RegRoot::kCurrentUser, kShellFolders, "Programs", folder);
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder + m_szCompanyName + "\\" + m_szProgramName + "\\";
}

bool CInstallDlg::CreateShortcutsAndUninstallEntry(const std::string& target_dir,
                                                   const std::string& language) {
  const std::string folder = StartMenuFolder();
  const std::string uninstaller = Texts().Option("DEINSTALLEXE_NAME");
  WriteRegString(RegRoot::kLocalMachine, m_strUninstallKey, "DisplayName", m_szProgramName);
  WriteRegString(RegRoot::kLocalMachine, m_strUninstallKey, "UninstallString",
                 target_dir + "\\" + uninstaller);
  if (!platform::CreateDirectoryPath(P(), folder)) {
    Log("cannot create the Start-menu folder " + folder);
    return false;
  }
  std::string base = target_dir.empty() ? "\\" : target_dir;
  if (base.back() != '\\') base += '\\';
  const std::string empty;
  for (int n = 0; n < m_nShortcuts; ++n) {
    const ShortcutEntry& e = m_shortcuts[static_cast<std::size_t>(n)];
    if (!CreateShortcut(base + e.szFile, folder + e.szDescription, nullptr, &base, empty)) {
      return false;
    }
  }
  return SaveProgramPathAndLanguage(language);
}

}  // namespace cdsetup::app
