// The language page: the languages of the script's Language section in a
// combo box; its answer is the name of the language section to use.
#pragma once

#include <string>

#include "framework/controls.h"
#include "framework/dialog.h"
#include "resources/resource_ids.h"
#include "script/localized_texts.h"

namespace cdsetup::pages {

class CLanguageDlg : public framework::CDialog {
 public:
  static constexpr int IDD = resources::IDD_LANGUAGE;
  static constexpr int IDC_LANGUAGE = resources::IDC_LANGUAGE;

  /// The language list comes from `script`'s [Language] section.
  CLanguageDlg(framework::Owner owner, script::LocalizedTexts texts);

  /// The name picked or typed; read after a result of 1.
  const std::string& GetLanguage() const { return m_strLanguage; }

  bool OnInitDialog() override;
  void DoDataExchange(framework::CDataExchange* dx) override;

 private:
  framework::CComboBox m_comboLanguage;
  std::string m_strLanguage;
  script::LocalizedTexts m_texts;
};

}  // namespace cdsetup::pages
