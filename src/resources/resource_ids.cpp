#include "resources/resource_ids.h"

namespace cdsetup::resources {

std::string_view MessageName(int id) {
  switch (id) {
    case IDP_VALIDATION:
      return "validation";
    case IDP_DIRECTORY_UNREADABLE:
      return "directory-unreadable";
    case IDP_PATH_TOO_LONG:
      return "path-too-long";
    case IDP_CREATE_DIRECTORY:
      return "create-directory";
    case IDP_CANNOT_CREATE_DIRECTORY:
      return "cannot-create-directory";
    case IDP_REGISTRY_BUSY:
      return "registry-busy";
    case IDP_COPY_FAILED:
      return "copy-failed";
    case IDP_SHORTCUTS_FAILED:
      return "shortcuts-failed";
    case IDP_SETUP_COMPLETE:
      return "setup-complete";
    case IDP_RUN_EXTRA_PROGRAM:
      return "run-extra-program";
    case IDP_INSTALL_DIRECTX:
      return "install-directx";
    case IDP_NOT_ENOUGH_SPACE:
      return "not-enough-space";
    case IDP_STARTUP_FAILED:
      return "startup-failed";
    default:
      return "message";
  }
}

}  // namespace cdsetup::resources
