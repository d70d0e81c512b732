// The install type page: minimal, standard or full, as the section name of
// the file list to copy.
#pragma once

#include <string>

#include "framework/dialog.h"
#include "resources/resource_ids.h"
#include "script/localized_texts.h"

namespace cdsetup::pages {

class CInstallTypeDlg : public framework::CDialog {
 public:
  static constexpr int IDD = resources::IDD_INSTALL_TYPE;
  static constexpr int IDC_MIN = resources::IDC_TYPE_MIN;
  static constexpr int IDC_STD = resources::IDC_TYPE_STD;
  static constexpr int IDC_MAX = resources::IDC_TYPE_MAX;
  static constexpr int IDC_GROUP = resources::IDC_TYPE_GROUP;

  CInstallTypeDlg(framework::Owner owner, script::LocalizedTexts texts);

  std::string GetInstallType() const { return m_strInstallType; }

  bool OnInitDialog() override;
  bool OnCommand(framework::UINT id, framework::UINT code, framework::CWnd* source) override;
  void OnMinimal() { m_strInstallType = "min"; }
  void OnStandard() { m_strInstallType = "std"; }
  void OnFull() { m_strInstallType = "max"; }

 private:
  std::string m_strInstallType = "std";
  script::LocalizedTexts m_texts;
};

}  // namespace cdsetup::pages
