// Creates every missing level of a directory path, shortest prefix first; the
// one helper that the install sequence, the registry records, the shortcuts
// and the copy engine share.
#pragma once

#include <string_view>

#include "base/limits.h"
#include "platform/platform.h"

namespace cdsetup::platform {

/// Paths of this many characters or more are refused: the prefixes are built
/// in a 256-byte buffer, and a cut path would name another directory.
inline constexpr std::size_t kMaxDirectoryPath = base::kDirectoryBuffer;

/// Creates each prefix of `path` that ends before a "\" (after the drive
/// prefix "x:" and one leading "\"), then the whole path; a level that already
/// exists is no failure. D:\Games\Foo creates D:\Games and D:\Games\Foo;
/// D:\Games\Foo\ also tries the whole path, which then exists.
/// Refused for an empty path or one of kMaxDirectoryPath characters or more
/// (nothing is created); else the failure of the first level that could not
/// be created for another reason than being there, naming that level.
/// A TextNamedPath keeps its mark in every level past it.
base::Status CreateDirectoryPath(Platform& platform, std::string_view path);

}  // namespace cdsetup::platform
