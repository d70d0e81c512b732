#include "platform/create_directory_path.h"

#include <string>

namespace cdsetup::platform {

base::Status CreateDirectoryPath(Platform& platform, std::string_view path) {
  if (path.empty()) return base::Status::Refused("no directory to create");
  if (PathLength(path) >= kMaxDirectoryPath) {
    return base::Status::Refused("the path is too long: " + WithoutTextMark(path));
  }
  std::size_t start = 0;
  if (path.size() >= 2 && path[1] == ':') start = 2;
  if (start < path.size() && path[start] == '\\') ++start;

  // Each separator in the rest ends one level; the whole path is the last.
  // (Counting them from the start of the rest, not of the whole path, also
  // gives relative paths their shortest prefix first.)
  std::size_t pos = start;
  for (;;) {
    std::size_t sep = path.find('\\', pos);
    std::string_view prefix = sep == std::string_view::npos ? path : path.substr(0, sep);
    base::Status s = platform.CreateDirectoryA(prefix);
    if (!s.ok() && !s.IsAlreadyExists()) return s.WithContext("create " + WithoutTextMark(prefix));
    if (sep == std::string_view::npos) return base::Status::Ok();
    pos = sep + 1;
  }
}

}  // namespace cdsetup::platform
