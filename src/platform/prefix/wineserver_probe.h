// Whether a wineserver runs for a prefix. While one does, it holds the
// prefix's registry in memory and writes its own copy back over the files, so
// our changes to them would be lost or would clobber Wine's.
#pragma once

#include <string>

namespace cdsetup::platform {

/// Where this user's wineservers keep their sockets: /tmp/.wine-<uid>.
std::string DefaultWineServerRoot();

/// True when a wineserver serves `prefix_dir`: its directory below
/// `server_root` (named after the prefix's device and inode numbers, as Wine
/// names it) holds a socket, and its lock file is held by a process. A socket
/// whose lock file is free is a leftover of a server that died: false. When
/// the lock cannot be examined the socket alone counts, to be safe.
bool WineServerRunning(const std::string& prefix_dir, const std::string& server_root);

/// The server directory Wine uses for `prefix_dir` below `server_root`;
/// empty when the prefix cannot be examined.
std::string WineServerDirectory(const std::string& prefix_dir, const std::string& server_root);

}  // namespace cdsetup::platform
