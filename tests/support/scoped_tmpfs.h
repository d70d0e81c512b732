// A small tmpfs mounted for one test: a drive that fills up for real.
#pragma once

#include <sys/mount.h>
#include <unistd.h>

#include <string>

#include "support/scoped_temp_dir.h"

namespace cdsetup::testing {

class ScopedTmpfs {
 public:
  /// Mounts a tmpfs of `size` ("256k") at `path`, made when missing;
  /// mounted() is false where this process may not mount one.
  ScopedTmpfs(std::string path, const std::string& size) : path_(std::move(path)) {
    MakeDirs(path_);
    mounted_ = ::geteuid() == 0 &&
               ::mount("tmpfs", path_.c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0;
  }
  ~ScopedTmpfs() {
    if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
  }
  ScopedTmpfs(const ScopedTmpfs&) = delete;
  ScopedTmpfs& operator=(const ScopedTmpfs&) = delete;

  bool mounted() const { return mounted_; }

 private:
  std::string path_;
  bool mounted_ = false;
};

}  // namespace cdsetup::testing
