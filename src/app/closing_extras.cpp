// The main dialog's closing extras: the Start-menu folder opened, the shared
// uninstaller placed, the extra programs offered, and DirectX.
#include "app/install_dlg.h"
#include "base/limits.h"
#include "framework/app.h"
#include "resources/resource_ids.h"
#include "script/install_script.h"

namespace cdsetup::app {

using namespace framework;

base::Status CInstallDlg::OpenProgramsFolder() {
  if (!m_settings.show_folders) {
    // A window nobody sees would only keep its program, and Wine, running.
    Log("the Start-menu folder is not opened: there is no one to see it");
    return base::Status::Ok();
  }
  const std::string windir = P().GetEnvironmentVariableA("WINDIR");
  // explorer.exe takes the folder as a name: one the system's code page
  // cannot spell cannot be opened this way.
  base::Result<std::string> company = P().TextToName(m_szCompanyName);
  base::Result<std::string> program = P().TextToName(m_szProgramName);
  if (!company.ok() || !program.ok()) {
    Log("the Start-menu folder is not opened: " +
        (company.ok() ? program : company).status().message());
    return base::Status::Ok();
  }
  const std::string folder = ProgramsFolder() + "\\" + *company + "\\" + *program;
  if (folder.size() > base::kMaxPath) {
    return base::Status::Refused("the Start-menu folder's path is too long: " + folder);
  }
  auto started = P().StartProcess(windir + "\\explorer.exe", {folder}, platform::Wait::kNo);
  Log("started explorer.exe " + folder);
  return started.status();
}

base::Status CInstallDlg::InstallSharedUninstaller() {
  const std::string windir = P().GetEnvironmentVariableA("WINDIR");
  const std::string dir = windir + "\\TV\\";
  // The folder may be there from another product: only the copy counts.
  base::IgnoreResult(P().CreateDirectoryA(dir), "only the copy counts");
  const std::string source = InstallerDirectory(base::kShortBuffer) + "\\Kestrune.exe";
  const std::string target = dir + "Kestrune.exe";
  // An older copy may be read-only; a missing one is no failure here.
  base::IgnoreResult(P().SetFileAttributesArchive(target), "a missing copy is no failure");
  base::Status copied = P().CopyFileA(source, target, false);
  base::IgnoreResult(P().SetFileAttributesArchive(target), "the copy's own result tells");
  Log("shared uninstaller " + target);
  return copied;
}

void CInstallDlg::RunOtherFiles() {
  const std::string base = InstallerDirectory(base::kTextBuffer) + "\\";
  const script::LocalizedTexts texts = Texts();
  if (texts.Get("OTHERFILES").empty()) return;
  const int n_files = texts.script().ReadCount(texts.language(), "OTHERFILES", texts.language());
  for (int n = 0; n < n_files; ++n) {
    const std::string message = Texts().Get(script::FamilyKey("Message%d", n));
    if (DesktopMessageBox(*windows(), message, "Uwaga !",
                          MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2,
                          resources::IDP_RUN_EXTRA_PROGRAM) != IDYES) {
      continue;
    }
    const std::string exe = Texts().Get(script::FamilyKey("Exe%d", n));
    auto ran = P().StartProcess(base + exe, {}, platform::Wait::kYes);
    Log("ran " + base + exe +
        (ran.ok() ? ", exit status " + std::to_string(*ran)
                  : " (failed: " + ran.status().ToString() + ")"));
  }
}

base::Status CInstallDlg::RunDirectXSetup() {
  std::string path = Texts().Get("IDS_DXINSTALL_PATH");
  // The path's first character is the CD's letter, whatever the script says.
  if (path.empty()) {
    path = m_szCdDrive.substr(0, 1);
  } else {
    path[0] = m_szCdDrive[0];
  }
  auto ran = P().StartProcess(path, {}, platform::Wait::kYes);
  Log("ran DirectX setup " + path +
      (ran.ok() ? ", exit status " + std::to_string(*ran)
                : " (failed: " + ran.status().ToString() + ")"));
  if (!ran.ok()) return ran.status().WithContext("DirectX setup " + path);
  if (*ran != 0) {
    return base::Status::IoError("DirectX setup " + path + " ended with status " +
                                 std::to_string(*ran));
  }
  return base::Status::Ok();
}

}  // namespace cdsetup::app
