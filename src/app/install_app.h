// The application object: runs the main dialog and ends when it closes; and
// one run of the installer in a session, from the main dialog to Wine's menu
// entries.
#pragma once

#include <string>

#include "app/install_dlg.h"
#include "app/session.h"
#include "framework/app.h"

namespace cdsetup::app {

class CInstallApp : public framework::CWinApp {
 public:
  CInstallApp(std::string app_name, Session& session, InstallSettings settings)
      : CWinApp(std::move(app_name), session.windows()),
        session_(session),
        settings_(std::move(settings)) {}

  /// Shows the main dialog; false, so the process ends after it.
  bool InitInstance() override;

  Outcome outcome() const { return outcome_; }
  const std::string& reason() const { return reason_; }

 private:
  Session& session_;
  InstallSettings settings_;
  Outcome outcome_ = Outcome::kNotRun;
  std::string reason_;
};

struct RunResult {
  Outcome outcome = Outcome::kNotRun;
  std::string reason;  // why it did not install, in the terminal's encoding
};

/// Runs the installer in `session` as its invocation asks: the main dialog
/// and everything it starts, then the platform's closing work.
RunResult RunInstaller(Session& session);

}  // namespace cdsetup::app
