#include "platform/prefix/misspelt_folder.h"

#include <ctime>

namespace cdsetup::platform {
namespace {

constexpr std::time_t kCoarsestTime = 2;  // seconds

}  // namespace

std::optional<std::string> MisspeltFolder::Resolved() const {
  if (host_.empty() || recent_) return std::nullopt;
  // A folder's time changes with every name made, removed or renamed in it:
  // unchanged, each level still holds the name the walk took there.
  for (const Level& level : levels_) {
    struct stat st;
    if (::stat(level.dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || !level.stamp.Matches(st)) {
      return std::nullopt;
    }
  }
  return host_;
}

void MisspeltFolder::Begin(std::string asked) {
  Clear();
  asked_ = std::move(asked);
}

void MisspeltFolder::Looked(const std::string& dir, const struct stat& st) {
  levels_.push_back({dir, FolderStamp::Of(st)});
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  // A time in the future is no better.
  if (st.st_mtim.tv_sec > now.tv_sec - kCoarsestTime) recent_ = true;
}

}  // namespace cdsetup::platform
