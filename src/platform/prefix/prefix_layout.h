// Creation of a missing Wine prefix, and repair of one that lacks parts.
// Where Wine is installed, Wine makes it (wineboot), so that the game's
// prefix is one Wine made and the first start of the game is quick; else a
// minimal but valid one: drive_c with the Windows directory and the user's
// profile folders, the c: and z: drive links, and registry files with Wine's
// header and the Shell Folders values.
#pragma once

#include <functional>
#include <string>

#include "base/result.h"
#include "platform/prefix/process_runner.h"

namespace cdsetup::platform {

/// The Start-menu programs folder Wine sets for `user`, as a Windows path.
std::string ProgramsFolderFor(const std::string& user);

struct PrefixMaking {
  /// Starts Wine; none, or one without "wine" in PATH, gives the minimal
  /// prefix.
  ProcessRunner* runner = nullptr;
  /// Told before a step that takes a while.
  std::function<void(const std::string&)> progress;
};

/// Makes `prefix_dir` a usable prefix, and says what it did for the log
/// (empty when the prefix was whole). A missing or empty directory gets a
/// whole prefix, made in a folder beside it and renamed into place, so an
/// interruption leaves either none or a whole one. A directory that holds
/// drive_c/ gets what of the minimal layout it lacks (folders, registry
/// files, the c: and z: links), and loses the temporary files interrupted
/// writes of its registry left. Refused for a non-empty directory without
/// drive_c/, which is not a prefix.
base::Result<std::string> EnsurePrefix(const std::string& prefix_dir, const std::string& user,
                                       const PrefixMaking& making = {});

}  // namespace cdsetup::platform
