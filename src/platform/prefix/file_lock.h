// An exclusive lock between processes, held on a lock file for as long as
// the FileLock lives: what makes a read-modify-write of a shared file whole
// when several installers run at once.
#pragma once

#include <string>

#include "base/result.h"
#include "platform/prefix/unique_fd.h"

namespace cdsetup::platform {

class FileLock {
 public:
  /// Waits until this process holds the exclusive lock of `path`, creating
  /// the file when missing. The lock is flock(2)'s: tied to this open file,
  /// so it is not shared with a forked child's own locks and ends when the
  /// FileLock does (or the process). A file system that has no locks gives
  /// an unlocked FileLock (held() false) rather than a failure; a lock file
  /// that cannot be created fails with its errno's status.
  static base::Result<FileLock> Exclusive(const std::string& path);

  bool held() const { return held_; }

 private:
  FileLock(UniqueFd fd, bool held) : fd_(std::move(fd)), held_(held) {}

  UniqueFd fd_;  // closing it lets the lock go
  bool held_ = false;
};

}  // namespace cdsetup::platform
