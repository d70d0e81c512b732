#include "pages/licence_dlg.h"

#include <cstdio>
#include <cstring>

#include "platform/read_whole_file.h"

namespace cdsetup::pages {

// The framework's ids are macros where <windows.h> is seen: never qualified.
using namespace framework;

namespace {

// The file's bytes up to the first zero byte; empty when it cannot be read
// or is larger than a page should hold.
std::string ReadAgreement(platform::Platform& platform, const std::string& name) {
  if (name.empty()) return {};
  std::string text = platform::ReadWholeFile(platform, name, CLicenceDlg::kMaxAgreementSize);
  text.resize(std::strlen(text.c_str()));  // the first zero byte ends the text
  return text;
}

}  // namespace

CLicenceDlg::CLicenceDlg(framework::Owner owner, script::LocalizedTexts texts)
    : CDialog(IDD, owner), m_texts(std::move(texts)) {}

bool CLicenceDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetWindowText(m_texts.Get("IDS_LICENCJA"));
  if (CWnd* accept = GetDlgItem(IDOK)) accept->SetWindowText(m_texts.Get("IDS_AKCEPT_UMOWE"));
  if (CWnd* back = GetDlgItem(IDCANCEL)) back->SetWindowText(m_texts.Get("IDS_NIE"));
  const std::string file = m_texts.Get("IDS_LICENCE_FILE_NAME");
  if (CWnd* box = GetDlgItem(IDC_AGREEMENT))
    box->SetWindowText(ReadAgreement(m_texts.platform(), file));
  return true;
}

}  // namespace cdsetup::pages
