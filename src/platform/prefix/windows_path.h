// The Windows path model: a drive letter and a list of components, parsed from
// the forms the installer passes (absolute, drive-relative, "\"-rooted and
// relative, "\" or "/" separators) against a current directory.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace cdsetup::platform {

struct WindowsPath {
  char drive = 'c';                // lower-case 'a' .. 'z'
  std::vector<std::string> parts;  // ANSI components; never "", "." or ".."
  /// Parts from this one on are names made from texts: in the text code page.
  std::size_t text_from = SIZE_MAX;

  /// "C:\" for a drive root, else "C:\a\b" (upper-case letter, no final "\").
  std::string ToString() const;
  /// The drive's root, "C:\".
  std::string Root() const;
  bool IsRoot() const { return parts.empty(); }

  /// Resolves `path` against `cwd`: "x:\..." is absolute; "x:rest" is relative
  /// to the current directory when x is its drive, else to x's root; "\rest"
  /// is relative to the current drive's root; anything else to `cwd`. "." is
  /// dropped and ".." removes one component but never climbs above the root.
  /// Refused for an empty path, a UNC path ("\\server\share"), a component
  /// with a control character or one of `"<>|:`. "*" and "?" are accepted.
  /// kTextNamesFollow before a component sets text_from there.
  static base::Result<WindowsPath> Parse(std::string_view path, const WindowsPath& cwd);
};

/// True when a component holds "*" or "?".
bool HasWildcards(std::string_view component);

}  // namespace cdsetup::platform
