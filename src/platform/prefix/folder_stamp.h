// What tells whether a folder's names may have changed since it was looked
// at: its identity and its modification time, which every name made, removed
// or renamed in it moves.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <ctime>

namespace cdsetup::platform {

struct FolderStamp {
  dev_t dev = 0;
  ino_t ino = 0;
  timespec mtime{};

  static FolderStamp Of(const struct stat& st) { return {st.st_dev, st.st_ino, st.st_mtim}; }
  /// Whether `st`, a status just read, is of the same folder at the same time.
  bool Matches(const struct stat& st) const {
    return st.st_dev == dev && st.st_ino == ino && st.st_mtim.tv_sec == mtime.tv_sec &&
           st.st_mtim.tv_nsec == mtime.tv_nsec;
  }
};

}  // namespace cdsetup::platform
