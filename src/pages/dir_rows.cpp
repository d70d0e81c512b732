#include "pages/dir_rows.h"

#include "base/ascii.h"

namespace cdsetup::pages {
namespace {

bool YieldsAnEntry(platform::Platform& platform, const std::string& pattern) {
  // One entry settles it: the search stops there.
  auto found = platform.FindFiles(pattern, 1);
  return found.ok() && !found->empty();
}

}  // namespace

int AddPathParts(platform::Platform& platform, std::string& path, std::vector<DirItem>& rows) {
  std::string built;
  std::string rest = path;
  int count = 0;
  for (;;) {
    const std::size_t slash = rest.find('\\');
    if (slash == std::string::npos) break;
    const std::string part = rest.substr(0, slash + 1);
    if (!YieldsAnEntry(platform, built + part + "*")) break;
    built += part;
    rest = rest.substr(slash + 1);
    rows.push_back({part, true, static_cast<std::int8_t>(count)});
    ++count;
  }
  path = built;
  return count;
}

bool ListSubdirectories(platform::Platform& platform, const std::string& path, int level,
                        std::vector<DirItem>& rows) {
  auto found = platform.FindFiles(path + "*");
  if (!found.ok()) return false;
  for (const platform::FindData& entry : *found) {
    if (!entry.is_directory || entry.is_hidden || entry.name.empty() || entry.name[0] == '.') {
      continue;
    }
    rows.push_back({entry.name, false, static_cast<std::int8_t>(level)});
  }
  return true;
}

int CompareDirItems(const DirItem& a, const DirItem& b) {
  if (a.nLevel == b.nLevel || a.nLevel == -1 || b.nLevel == -1) {
    const std::string& x = a.strName;
    const std::string& y = b.strName;
    const std::size_t n = std::min(x.size(), y.size());
    for (std::size_t i = 0; i < n; ++i) {
      const auto cx = static_cast<unsigned char>(base::ToLowerAscii(x[i]));
      const auto cy = static_cast<unsigned char>(base::ToLowerAscii(y[i]));
      if (cx != cy) return cx < cy ? -1 : 1;
    }
    return x.size() == y.size() ? 0 : (x.size() < y.size() ? -1 : 1);
  }
  return a.nLevel < b.nLevel ? -1 : 1;
}

std::string PathOfRows(const std::vector<const DirItem*>& rows) {
  std::string path;
  for (const DirItem* row : rows) {
    if (!row->bPathPart) break;
    path += row->strName;
  }
  if (path.empty() || path.back() != '\\') path += '\\';
  return path;
}

std::string SelectedPathOfRows(const std::vector<const DirItem*>& rows, int selected) {
  if (selected < 0 || selected >= static_cast<int>(rows.size())) return {};
  std::string result;
  bool met_subdirectory = false;
  for (int i = 0; i <= selected; ++i) {
    if (!rows[static_cast<std::size_t>(i)]->bPathPart) {
      met_subdirectory = true;
      break;
    }
    result += rows[static_cast<std::size_t>(i)]->strName;
  }
  if (met_subdirectory) result += rows[static_cast<std::size_t>(selected)]->strName;
  if (result.empty() || result.back() != '\\') result += '\\';
  return result;
}

}  // namespace cdsetup::pages
