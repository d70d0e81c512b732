// The platform the pages and the application run on, as the system's calls
// are there for any code on Windows. main() sets it once; tests set their own.
#pragma once

#include "platform/platform.h"

namespace cdsetup::platform {

/// The platform set last; null before one is set.
Platform* SystemPlatform();
void SetSystemPlatform(Platform* platform);

}  // namespace cdsetup::platform
