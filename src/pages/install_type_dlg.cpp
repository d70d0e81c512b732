#include "pages/install_type_dlg.h"

namespace cdsetup::pages {

using namespace framework;

CInstallTypeDlg::CInstallTypeDlg(Owner owner, script::LocalizedTexts texts)
    : CDialog(IDD, owner), m_texts(std::move(texts)) {}

bool CInstallTypeDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetWindowText(m_texts.Get("IDS_RODZAJ_INST"));
  const std::pair<int, const char*> texts[] = {
      {IDC_GROUP, "IDS_WYBIERZ_INST"}, {IDC_MIN, "IDS_WERSJA_MIN"}, {IDC_STD, "IDS_WERSJA_STD"},
      {IDC_MAX, "IDS_WERSJA_MAX"},     {IDOK, "IDS_DALEJ"},         {IDCANCEL, "IDS_POWROT"},
  };
  for (const auto& [id, key] : texts) {
    if (CWnd* control = GetDlgItem(id)) control->SetWindowText(m_texts.Get(key));
  }
  CheckRadioButton(IDC_MIN, IDC_MAX, IDC_STD);
  return true;
}

bool CInstallTypeDlg::OnCommand(UINT id, UINT code, CWnd* source) {
  if (code == BN_CLICKED) {
    switch (id) {
      case IDC_MIN:
        OnMinimal();
        return true;
      case IDC_STD:
        OnStandard();
        return true;
      case IDC_MAX:
        OnFull();
        return true;
      default:
        break;
    }
  }
  return CDialog::OnCommand(id, code, source);
}

}  // namespace cdsetup::pages
