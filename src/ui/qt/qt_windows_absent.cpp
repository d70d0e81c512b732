// A build without Qt: there are no windows to load, and the console serves.
#include "ui/qt/qt_windows.h"

namespace cdsetup::ui::qt {

base::Result<std::unique_ptr<QtWindows>> OpenQtWindows(const std::string&, const char*, int) {
  return base::Status::Unsupported("this build has no windows");
}

}  // namespace cdsetup::ui::qt
