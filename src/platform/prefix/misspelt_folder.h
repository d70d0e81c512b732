// The last folder asked for in another spelling than the host's, and the host
// folder the case-blind walk found for it. A list of files that all name a
// folder so would otherwise walk every level again for each file, two calls
// per level; the answer is kept while no folder along the way has changed,
// which one status call per level shows. A folder changed in the last two
// seconds is not trusted so: where times are coarse (a clock tick, or two
// seconds on FAT), a second change within the same tick leaves the time as
// it was.
#pragma once

#include <sys/stat.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/prefix/folder_stamp.h"

namespace cdsetup::platform {

class MisspeltFolder {
 public:
  /// Whether `folder` (a host path as asked) is the one remembered.
  bool Is(std::string_view folder) const { return !asked_.empty() && folder == asked_; }
  /// The host folder the remembered one resolved to, when its walk ended and
  /// every folder it looked into is as it was then; else nullopt.
  std::optional<std::string> Resolved() const;

  /// Forgets the last walk and starts noting the one for `asked`.
  void Begin(std::string asked);
  /// The walk is about to look into host folder `dir`, whose status `st`
  /// was just read.
  void Looked(const std::string& dir, const struct stat& st);
  /// The walk found the folder at `host`.
  void Found(std::string host) { host_ = std::move(host); }
  void Clear() { *this = MisspeltFolder(); }

 private:
  struct Level {
    std::string dir;
    FolderStamp stamp;
  };

  std::string asked_;
  std::string host_;  // empty until Found
  std::vector<Level> levels_;
  bool recent_ = false;  // a level changed too lately for its time to tell
};

}  // namespace cdsetup::platform
