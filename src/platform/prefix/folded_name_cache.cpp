#include "platform/prefix/folded_name_cache.h"

#include <dirent.h>
#include <sys/stat.h>

#include "platform/prefix/code_page.h"

namespace cdsetup::platform {

std::optional<std::string> FoldedNameCache::Find(const std::string& dir, std::string_view name,
                                                 const struct stat* dir_stat) {
  struct stat st;
  if (dir_stat && S_ISDIR(dir_stat->st_mode)) {
    st = *dir_stat;
  } else if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    return std::nullopt;
  }
  auto it = listings_.find(dir);
  if (it == listings_.end() || !it->second.stamp.Matches(st)) {
    DIR* d = ::opendir(dir.c_str());
    if (!d) return std::nullopt;
    if (listings_.size() >= kMaxListings) listings_.clear();
    Listing& listing = listings_[dir];
    listing = Listing{FolderStamp::Of(st), {}};
    while (dirent* e = ::readdir(d)) {
      std::string_view entry = e->d_name;
      if (entry == "." || entry == "..") continue;
      // The first entry met wins, as a scan for the name would find it.
      listing.names.emplace(FoldedCodePoints(entry), std::string(entry));
    }
    ::closedir(d);
    it = listings_.find(dir);
  }
  auto found = it->second.names.find(FoldedCodePoints(name));
  if (found == it->second.names.end()) return std::nullopt;
  return found->second;
}

void FoldedNameCache::NoteCreated(const std::string& dir, const std::string& name) {
  auto it = listings_.find(dir);
  if (it == listings_.end()) return;
  struct stat st;
  if (::stat(dir.c_str(), &st) != 0) {
    listings_.erase(it);
    return;
  }
  it->second.names.emplace(FoldedCodePoints(name), name);
  it->second.stamp.mtime = st.st_mtim;  // the same folder, or the next Find sees it is not
}

}  // namespace cdsetup::platform
