// The install type page: minimal, standard or full, as the section name of
// the file list to copy.
#pragma once

#include <string>

#include "framework/dialog.h"
#include "pages/page_texts.h"

namespace cdsetup::pages {

class CInstallTypeDlg : public framework::CDialog {
 public:
  static constexpr int IDD = 182;
  static constexpr int IDC_MIN = 1022;
  static constexpr int IDC_STD = 1023;
  static constexpr int IDC_MAX = 1024;
  static constexpr int IDC_GROUP = 1025;

  CInstallTypeDlg(framework::CWnd* parent, std::string language, std::string ini_path);

  std::string GetInstallType() const { return m_strInstallType; }

  bool OnInitDialog() override;
  bool OnCommand(framework::UINT id, framework::UINT code, framework::CWnd* source) override;
  void OnMinimal() { m_strInstallType = "min"; }
  void OnStandard() { m_strInstallType = "std"; }
  void OnFull() { m_strInstallType = "max"; }

 private:
  std::string m_strLanguage;
  std::string m_strInstallType = "std";
  PageTexts m_texts;
};

}  // namespace cdsetup::pages
