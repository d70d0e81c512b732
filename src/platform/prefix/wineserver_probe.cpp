#include "platform/prefix/wineserver_probe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace cdsetup::platform {

std::string DefaultWineServerRoot() {
  return "/tmp/.wine-" + std::to_string(::getuid());
}

std::string WineServerDirectory(const std::string& prefix_dir, const std::string& server_root) {
  struct stat st;
  if (::stat(prefix_dir.c_str(), &st) != 0) return "";
  char name[64];
  std::snprintf(name, sizeof name, "server-%llx-%llx", static_cast<unsigned long long>(st.st_dev),
                static_cast<unsigned long long>(st.st_ino));
  return server_root + "/" + name;
}

bool WineServerRunning(const std::string& prefix_dir, const std::string& server_root) {
  std::string dir = WineServerDirectory(prefix_dir, server_root);
  if (dir.empty()) return false;
  struct stat st;
  if (::lstat((dir + "/socket").c_str(), &st) != 0) return false;
  // The server keeps a write lock on its lock file for as long as it runs; a
  // test lock shows whether another process holds it, without taking it.
  int fd = ::open((dir + "/lock").c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) fd = ::open((dir + "/lock").c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return true;
  struct flock fl = {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  bool held = true;
  if (::fcntl(fd, F_GETLK, &fl) == 0) held = fl.l_type != F_UNLCK;
  ::close(fd);
  return held;
}

}  // namespace cdsetup::platform
