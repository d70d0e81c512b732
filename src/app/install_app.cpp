#include "app/install_app.h"

#include <filesystem>

namespace cdsetup::app {

bool CInstallApp::InitInstance() {
  CInstallDlg dialog(windows(), session_.platform(), settings_);
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

RunResult RunInstaller(Session& session) {
  const Invocation& invocation = session.invocation();
  InstallSettings settings;
  if (!invocation.language.empty()) settings.language = session.FromTerminal(invocation.language);
  settings.log = &session.log();
  settings.converter = &session.converter();
  if (invocation.code_page == 0) {
    settings.use_code_page = [&session](int code_page) { session.UseTextCodePage(code_page); };
  }
  CInstallApp application(std::filesystem::path(invocation.executable).stem().string(), session,
                          settings);
  // Ignored: the application object ends the process once it returns anyway.
  (void)application.InitInstance();
  session.Finish();
  const framework::SilentPolicy* policy = session.policy();
  if (!invocation.install_type.empty() && policy && !policy->type_page_seen()) {
    session.log().Write("--type " + invocation.install_type +
                        " ignored: the script does not show the install type page");
  }
  return {application.outcome(), session.ToTerminal(application.reason())};
}

}  // namespace cdsetup::app
