#include "platform/system_platform.h"

namespace cdsetup::platform {
namespace {
Platform* g_platform = nullptr;
}

Platform* SystemPlatform() {
  return g_platform;
}

void SetSystemPlatform(Platform* platform) {
  g_platform = platform;
}

}  // namespace cdsetup::platform
