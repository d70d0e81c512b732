// The status of a failed Win32 call, from its GetLastError code.
#pragma once

#include <cstdint>
#include <string>

#include "base/result.h"

namespace cdsetup::platform {

/// Maps a Win32 error code to a status kind; `context` names what was being
/// done ("copy a to b"), and the system's own words for the code follow it.
base::Status Win32Status(std::uint32_t error, const std::string& context);
/// The same for the calling thread's last error.
base::Status LastWin32Status(const std::string& context);

}  // namespace cdsetup::platform
