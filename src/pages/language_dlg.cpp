#include "pages/language_dlg.h"

#include "framework/data_exchange.h"
#include "pages/page_texts.h"
#include "script/install_script.h"

namespace cdsetup::pages {

CLanguageDlg::CLanguageDlg(framework::CWnd* parent, std::string ini_path)
    : CDialog(IDD, parent), m_strIniPath(std::move(ini_path)) {}

void CLanguageDlg::DoDataExchange(framework::CDataExchange* dx) {
  framework::DDX_Control(dx, IDC_LANGUAGE, m_comboLanguage);
  // Only the way back: the field's text, picked or typed, is the answer.
  if (dx->m_bSaveAndValidate) framework::DDX_CBString(dx, IDC_LANGUAGE, m_strLanguage);
}

bool CLanguageDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  PageTexts script(m_strIniPath, "");
  const int count = script.ReadNumber("Language", "Nr");
  for (int i = 0; i < count; ++i) {
    m_comboLanguage.AddString(script.Read("Language", script::FamilyKey("%d", i)));
  }
  m_comboLanguage.SetCurSel(0);
  return true;
}

}  // namespace cdsetup::pages
