// The main dialog's shortcuts: one link file per entry of the shortcut table.
#include "app/install_dlg.h"
#include "base/limits.h"

namespace cdsetup::app {

base::Status CInstallDlg::CreateShortcut(const std::string& target, const std::string& link_file,
                                         const std::string* arguments, const std::string* work_dir,
                                         const std::string& description) {
  // The link's file name goes through a MAX_PATH wide buffer.
  if (platform::PathLength(link_file) > base::kMaxPath) {
    Log("link not made, its path is too long: " + base::NameInLog(link_file));
    return base::Status::Refused("the link's path is too long: " + link_file);
  }
  platform::ShellLinkSpec link;
  link.target = target;
  link.description = description;
  if (arguments) link.arguments = *arguments;
  if (work_dir) link.working_directory = *work_dir;
  base::Status saved = P().WriteShellLink(link_file, link);
  Log("link " + base::NameInLog(link_file) + " -> " + base::NameInLog(target) + " in " +
      base::NameInLog(link.working_directory) +
      (saved.ok() ? "" : " (failed: " + saved.ToString() + ")"));
  return saved.WithContext("link " + platform::WithoutTextMark(link_file));
}

}  // namespace cdsetup::app
