// The target directory page: a path field, a drive list and a directory
// list. What it returns is always the path field's text.
#pragma once

#include <string>

#include "framework/controls.h"
#include "framework/dialog.h"
#include "pages/dir_list_box.h"
#include "pages/drive_combo.h"
#include "resources/resource_ids.h"
#include "script/localized_texts.h"

namespace cdsetup::pages {

class CTargetDirDlg : public framework::CDialog {
 public:
  static constexpr int IDD = resources::IDD_TARGET_DIR;
  static constexpr int IDC_DRIVES = resources::IDC_DRIVES;
  static constexpr int IDC_PATH = resources::IDC_PATH;
  static constexpr int IDC_DIRECTORIES = resources::IDC_DIRECTORIES;
  static constexpr int IDC_DIRECTORY_LABEL = resources::IDC_DIRECTORY_LABEL;
  static constexpr int IDC_DRIVE_LABEL = resources::IDC_DRIVE_LABEL;
  static constexpr int kMaxPath = 256;

  /// `initial_dir` is the path proposed in the field.
  CTargetDirDlg(framework::Owner owner, std::string initial_dir, script::LocalizedTexts texts);

  bool OnInitDialog() override;
  void DoDataExchange(framework::CDataExchange* dx) override;
  bool OnCommand(framework::UINT id, framework::UINT code, framework::CWnd* source) override;

  void OnSelEndOkDrive();
  void OnChangeDirList() {}
  void OnDblClkDirList();

  framework::CStatic m_lblDirectory;
  std::string m_strPath;
  std::string m_strInitialDir;
  CDriveCombo m_driveList;
  CDirListBox m_dirList;

 private:
  script::LocalizedTexts m_texts;
};

}  // namespace cdsetup::pages
