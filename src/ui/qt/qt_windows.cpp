#include "ui/qt/qt_windows.h"

#include <dlfcn.h>

#include <filesystem>

namespace cdsetup::ui::qt {

base::Result<std::unique_ptr<QtWindows>> OpenQtWindows(const std::string& executable,
                                                       const char* argv0, int fail_status) {
  const std::string path =
      (std::filesystem::path(executable).parent_path() / kQtModuleName).string();
  // Bound now: a symbol the module lacks is reported here, not in the middle
  // of an installation. Never closed: Qt does not expect to be unloaded.
  void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    const char* why = ::dlerror();
    return base::Status::NotFound("cannot load the Qt interface " + path + ": " +
                                  (why ? why : "unknown error"));
  }
  auto open = reinterpret_cast<QtWindowsOpen>(::dlsym(module, kQtWindowsOpen));
  if (open == nullptr) {
    return base::Status::NotFound(path + " has no entry point " + kQtWindowsOpen);
  }
  return std::unique_ptr<QtWindows>(open(argv0, fail_status));
}

}  // namespace cdsetup::ui::qt
