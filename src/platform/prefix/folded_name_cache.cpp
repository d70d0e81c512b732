#include "platform/prefix/folded_name_cache.h"

#include <dirent.h>
#include <sys/stat.h>

#include "platform/prefix/code_page.h"

namespace cdsetup::platform {
namespace {

bool SameTime(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

std::optional<std::string> FoldedNameCache::Find(const std::string& dir, std::string_view name,
                                                 const struct stat* dir_stat) {
  struct stat st;
  if (dir_stat && S_ISDIR(dir_stat->st_mode)) {
    st = *dir_stat;
  } else if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    return std::nullopt;
  }
  auto it = listings_.find(dir);
  if (it == listings_.end() || it->second.dev != st.st_dev || it->second.ino != st.st_ino ||
      !SameTime(it->second.mtime, st.st_mtim)) {
    DIR* d = ::opendir(dir.c_str());
    if (!d) return std::nullopt;
    if (listings_.size() >= kMaxListings) listings_.clear();
    Listing& listing = listings_[dir];
    listing = Listing{st.st_dev, st.st_ino, st.st_mtim, {}};
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
  it->second.mtime = st.st_mtim;
}

}  // namespace cdsetup::platform
