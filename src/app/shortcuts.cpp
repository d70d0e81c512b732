// The main dialog's shortcuts: one link file per entry of the shortcut table.
#include "app/install_dlg.h"
#include "base/limits.h"

namespace cdsetup::app {

base::Status CInstallDlg::CreateShortcut(const std::string& target, const std::string& link_file,
                                         const std::string* arguments, const std::string* work_dir,
                                         const std::string& description, std::size_t text_from) {
  // The link's file name goes through a MAX_PATH wide buffer.
  if (link_file.size() > base::kMaxPath) {
    Log("link not made, its path is too long: " + link_file);
    return base::Status::Refused("the link's path is too long: " + link_file);
  }
  platform::ShellLinkSpec link;
  link.target = target;
  link.description = description;
  if (arguments) link.arguments = *arguments;
  if (work_dir) link.working_directory = *work_dir;
  base::Status saved =
      text_from < link_file.size()
          ? P().WriteTextNamedShellLink(std::string_view(link_file).substr(0, text_from),
                                        std::string_view(link_file).substr(text_from), link)
          : P().WriteShellLink(link_file, link);
  Log("link " + link_file + " -> " + target + " in " + link.working_directory +
      (saved.ok() ? "" : " (failed: " + saved.ToString() + ")"));
  return saved.WithContext("link " + link_file);
}

}  // namespace cdsetup::app
