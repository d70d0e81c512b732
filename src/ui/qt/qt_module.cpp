// The entry point of the windows' module: the Qt application and the backend
// on it, handed to the executable behind the Qt-free QtWindows.
#include <memory>

#include "ui/qt/qt_backend.h"
#include "ui/qt/qt_windows.h"

namespace cdsetup::ui::qt {
namespace {

class ModuleWindows : public QtWindows {
 public:
  explicit ModuleWindows(std::unique_ptr<QtSession> session) : session_(std::move(session)) {}
  framework::UiBackend& MakeBackend(QtOptions options) override {
    if (!backend_) backend_ = std::make_unique<QtBackend>(std::move(options));
    return *backend_;
  }

 private:
  // In this order, so that the backend's windows go before the application
  // they live in.
  std::unique_ptr<QtSession> session_;
  std::unique_ptr<QtBackend> backend_;
};

}  // namespace
}  // namespace cdsetup::ui::qt

// Looked up by name: its type is QtWindowsOpen.
extern "C" __attribute__((visibility("default"))) cdsetup::ui::qt::QtWindows*
cdsetup_qt_windows_open(const char* argv0, int fail_status) {
  return new cdsetup::ui::qt::ModuleWindows(cdsetup::ui::qt::QtSession::Start(argv0, fail_status));
}
