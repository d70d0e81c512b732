#include "pages/language_dlg.h"

#include "framework/data_exchange.h"
#include "script/install_script.h"

namespace cdsetup::pages {

CLanguageDlg::CLanguageDlg(framework::Owner owner, script::LocalizedTexts texts)
    : CDialog(IDD, owner), m_texts(std::move(texts)) {}

void CLanguageDlg::DoDataExchange(framework::CDataExchange* dx) {
  framework::DDX_Control(dx, IDC_LANGUAGE, m_comboLanguage);
  // Only the way back: the field's text, picked or typed, is the answer.
  if (dx->m_bSaveAndValidate) framework::DDX_CBString(dx, IDC_LANGUAGE, m_strLanguage);
}

bool CLanguageDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  const int count = m_texts.script().ReadCount("Language", "Nr", "Language");
  for (int i = 0; i < count; ++i) {
    m_comboLanguage.AddString(m_texts.Read("Language", script::FamilyKey("%d", i)));
  }
  m_comboLanguage.SetCurSel(0);
  return true;
}

}  // namespace cdsetup::pages
