// Creation of a missing Wine-style prefix, minimal but valid: drive_c with the
// Windows directory and the user's profile folders, the c: and z: drive links,
// and registry files with Wine's header and the Shell Folders values.
#pragma once

#include <string>

#include "base/result.h"

namespace cdsetup::platform {

/// The Start-menu programs folder Wine sets for `user`, as a Windows path.
std::string ProgramsFolderFor(const std::string& user);

/// Makes `prefix_dir` a usable prefix. A directory that already holds
/// drive_c/ is left as it is (missing dosdevices links c: and z: are added);
/// a missing or empty directory gets the whole layout. Refused for a
/// non-empty directory without drive_c/, which is not a prefix.
base::Status EnsurePrefix(const std::string& prefix_dir, const std::string& user);

}  // namespace cdsetup::platform
