// Finds a directory entry by its case-folded name without reading the whole
// directory for every lookup. Copying thousands of new files into one folder
// asks about a missing name each time; rescanning the folder then would make
// the copy quadratic in the folder's size.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/prefix/folder_stamp.h"

namespace cdsetup::platform {

class FoldedNameCache {
 public:
  /// The name of the entry of host directory `dir` whose folded name equals
  /// `name`'s, or nullopt when there is none (or `dir` cannot be read). A
  /// listing is reused while the directory's modification time and identity
  /// are unchanged; any other change makes it read afresh.
  /// `dir_stat`, when given, is the directory's status just read.
  std::optional<std::string> Find(const std::string& dir, std::string_view name,
                                  const struct stat* dir_stat = nullptr);

  /// Records that this process just made `name` in `dir`, so that the change
  /// of the directory's time by that creation keeps the listing valid.
  void NoteCreated(const std::string& dir, const std::string& name);

 private:
  struct Listing {
    FolderStamp stamp;
    std::unordered_map<std::u32string, std::string> names;  // folded -> as stored
  };
  // A bound on memory: the installer touches a handful of folders.
  static constexpr std::size_t kMaxListings = 64;

  std::unordered_map<std::string, Listing> listings_;
};

}  // namespace cdsetup::platform
