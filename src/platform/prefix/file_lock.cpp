#include "platform/prefix/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>

namespace cdsetup::platform {

base::Result<FileLock> FileLock::Exclusive(const std::string& path) {
  UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
  // Another user's lock file is locked as well through a read-only descriptor.
  if (!fd.valid() && errno == EACCES) fd.Reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) return base::Status::FromErrno(errno, "create the lock file " + path);
  for (;;) {
    if (::flock(fd.get(), LOCK_EX) == 0) return FileLock(std::move(fd), true);
    if (errno == EINTR) continue;
    // Some network file systems have no locks at all: writing unlocked there
    // is what every writer did before, and refusing would stop every install.
    if (errno == ENOLCK || errno == EOPNOTSUPP || errno == ENOSYS || errno == EINVAL) {
      return FileLock(std::move(fd), false);
    }
    return base::Status::FromErrno(errno, "lock " + path);
  }
}

}  // namespace cdsetup::platform
