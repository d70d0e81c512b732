#include "app/install_app.h"

namespace cdsetup::app {

bool CInstallApp::InitInstance() {
  CInstallDlg dialog(nullptr, settings_);
  m_pMainWnd = &dialog;
  const int result = dialog.DoModal();
  m_pMainWnd = nullptr;
  outcome_ = dialog.outcome();
  reason_ = dialog.reason();
  if (result < 0) {
    outcome_ = Outcome::kCancelled;
    reason_ = "the main dialog could not be shown";
  } else if (outcome_ == Outcome::kNotRun) {
    outcome_ = Outcome::kCancelled;
    reason_ = "the installer was left without installing";
  }
  return false;
}

}  // namespace cdsetup::app
