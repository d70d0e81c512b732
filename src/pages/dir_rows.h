// The rows of the directory list without a window: the parts of a path down
// to its longest existing prefix, the subdirectories below it, their order,
// and the directory a row names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace cdsetup::pages {

/// The record behind one row.
struct DirItem {
  std::string strName;  // a path part with its "\", or a subdirectory's name
  bool bPathPart = false;
  std::int8_t nLevel = 0;  // -1 only in a search key
};

/// A row level is eight bits: deeper paths are refused, not wrapped.
inline constexpr int kMaxPathParts = 127;

/// Appends to `rows` one path part per existing prefix of `path` (which
/// ends in "\"), and replaces `path` by the longest existing prefix. Returns
/// the number of parts; a prefix exists when searching it yields an entry.
int AddPathParts(platform::Platform& platform, std::string& path, std::vector<DirItem>& rows);

/// The subdirectory rows of `path` (ending in "\") at `level`, in the order
/// the search yields them: directories only, neither hidden nor starting
/// with ".". False when the search fails.
bool ListSubdirectories(platform::Platform& platform, const std::string& path, int level,
                        std::vector<DirItem>& rows);

/// Same level (or either -1): names compared with A to Z folded, bytes
/// unsigned; otherwise the lower level first.
int CompareDirItems(const DirItem& a, const DirItem& b);

/// The current directory: the path parts from the top, ending in "\".
std::string PathOfRows(const std::vector<const DirItem*>& rows);
/// The directory row `selected` names; empty for no selection.
std::string SelectedPathOfRows(const std::vector<const DirItem*>& rows, int selected);

}  // namespace cdsetup::pages
