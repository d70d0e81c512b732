// The Qt windows as the installer's executable sees them: a module of their
// own, loaded only by a run that shows windows, so that console and silent
// runs neither load Qt's libraries nor need them installed. This header
// includes nothing of Qt.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/action_log.h"
#include "base/result.h"
#include "framework/ui_backend.h"

namespace cdsetup::ui::qt {

struct QtOptions {
  /// ANSI text to UTF-8 for the windows, and typed text back.
  std::function<std::string(std::string_view)> to_utf8;
  std::function<std::string(std::string_view)> from_utf8;
  /// The same for names of the system (paths, folders); a letter the
  /// system cannot spell comes back as "?".
  std::function<std::string(std::string_view)> name_to_utf8;
  std::function<std::string(std::string_view)> name_from_utf8;
  /// One line per page shown and message box answered; null for none.
  base::ActionLog* log = nullptr;
  /// Pixels per 96-dpi pixel; 0 takes the screen's.
  double scale = 0;
};

/// The display opened, and the backend made on it.
class QtWindows {
 public:
  virtual ~QtWindows() = default;
  /// Makes the backend, once; it lives as long as this object.
  virtual framework::UiBackend& MakeBackend(QtOptions options) = 0;
};

/// The module's one entry point, by this name, of type QtWindowsOpen: it opens
/// the display, or, when the display cannot be opened, writes one line to
/// stderr and ends the process with `fail_status` (Qt gives no way back).
inline constexpr const char* kQtWindowsOpen = "cdsetup_qt_windows_open";
using QtWindowsOpen = QtWindows* (*)(const char* argv0, int fail_status);

/// The module's file name, beside the executable.
inline constexpr const char* kQtModuleName = "cdsetup-qt.so";

/// Loads the module from the folder of `executable` and opens the display.
/// A module that is missing or cannot be loaded (Qt's libraries not
/// installed) is an error naming the reason; the module stays loaded for
/// the rest of the process.
base::Result<std::unique_ptr<QtWindows>> OpenQtWindows(const std::string& executable,
                                                       const char* argv0, int fail_status);

}  // namespace cdsetup::ui::qt
