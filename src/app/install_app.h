// The application object: runs the main dialog and ends when it closes.
#pragma once

#include <string>

#include "app/install_dlg.h"
#include "framework/app.h"

namespace cdsetup::app {

class CInstallApp : public framework::CWinApp {
 public:
  CInstallApp(std::string app_name, InstallSettings settings)
      : CWinApp(std::move(app_name)), settings_(std::move(settings)) {}

  /// Shows the main dialog; false, so the process ends after it.
  bool InitInstance() override;

  Outcome outcome() const { return outcome_; }
  const std::string& reason() const { return reason_; }

 private:
  InstallSettings settings_;
  Outcome outcome_ = Outcome::kNotRun;
  std::string reason_;
};

}  // namespace cdsetup::app
