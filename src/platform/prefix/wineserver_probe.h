// Whether a wineserver runs for a prefix. While one does, it holds the
// prefix's registry in memory and writes its own copy back over the files, so
// our changes to them would be lost or would clobber Wine's.
//
// Every Wine names a prefix's server folder server-<dev>-<ino>, after the
// prefix directory's device and inode, and runs the server in it; where that
// folder lies depends on the build: /tmp/.wine-<uid> (Wine's own layout),
// /run/user/<uid>/wine (Debian's when that runtime directory exists, as other
// builds do), or a fresh $TMPDIR/wine-XXXXXX whose name Debian's Wine 8
// records in the prefix's "wineserver" file.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace cdsetup::platform {

/// Where to look for a prefix's server.
struct WineServerSearch {
  /// Folders that may hold the prefix's server-<dev>-<ino> folder.
  std::vector<std::string> roots;
  /// When not empty, a /proc whose processes' working directories are looked
  /// at too, which finds a server wherever its folder lies.
  std::string proc_dir;
};

/// Every place where this user's Wine keeps the server of `prefix_dir`, as
/// the prefix and the environment ($TMPDIR) tell now; and /proc.
WineServerSearch DefaultWineServerSearch(const std::string& prefix_dir);

/// The folder of the wineserver that serves `prefix_dir` now, or nullopt when
/// none does. A server folder counts when it holds a socket and its lock file
/// is held by a process; a socket beside a free lock is a leftover of a
/// server that died. When the lock cannot be examined the socket alone
/// counts, to be safe. Nullopt too when the prefix cannot be examined.
std::optional<std::string> FindWineServer(const std::string& prefix_dir,
                                          const WineServerSearch& search);

/// The name Wine gives the server folder of `prefix_dir`
/// ("server-<dev>-<ino>" in lower-case hex); empty when the prefix cannot be
/// examined.
std::string WineServerFolderName(const std::string& prefix_dir);

/// The server folder of `prefix_dir` below `server_root`; empty when the
/// prefix cannot be examined.
std::string WineServerDirectory(const std::string& prefix_dir, const std::string& server_root);

}  // namespace cdsetup::platform
