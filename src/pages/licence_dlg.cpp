#include "pages/licence_dlg.h"

#include <cstdio>
#include <cstring>

#include "platform/system_platform.h"

namespace cdsetup::pages {

namespace {

// The file's bytes up to the first zero byte; empty when it cannot be read
// or is larger than a page should hold.
std::string ReadAgreement(const std::string& name) {
  platform::Platform* platform = platform::SystemPlatform();
  if (!platform || name.empty()) return {};
  auto opened = platform->OpenFile(name, "rb");
  if (!opened.ok()) return {};
  std::FILE* f = opened->get();
  if (std::fseek(f, 0, SEEK_END) != 0) return {};
  const long size = std::ftell(f);
  if (size < 0 || static_cast<std::uint64_t>(size) > CLicenceDlg::kMaxAgreementSize) return {};
  std::rewind(f);
  std::string text(static_cast<std::size_t>(size), '\0');
  // A read that stops early shows what was read.
  text.resize(std::fread(text.data(), 1, text.size(), f));
  text.resize(std::strlen(text.c_str()));
  return text;
}

}  // namespace

CLicenceDlg::CLicenceDlg(framework::CWnd* parent, std::string language, std::string ini_path)
    : CDialog(IDD, parent), m_texts(std::move(ini_path), std::move(language)) {}

bool CLicenceDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetWindowText(m_texts.Get("IDS_LICENCJA"));
  if (CWnd* accept = GetDlgItem(framework::IDOK))
    accept->SetWindowText(m_texts.Get("IDS_AKCEPT_UMOWE"));
  if (CWnd* back = GetDlgItem(framework::IDCANCEL)) back->SetWindowText(m_texts.Get("IDS_NIE"));
  const std::string file = m_texts.Get("IDS_LICENCE_FILE_NAME");
  if (CWnd* box = GetDlgItem(IDC_AGREEMENT)) box->SetWindowText(ReadAgreement(file));
  return true;
}

}  // namespace cdsetup::pages
