// The length limits of the buffers the installer's texts and paths pass
// through. Each is a limit on length: a longer text is cut or the operation
// refused, never written past the end.
#pragma once

#include <cstddef>

namespace cdsetup::base {

/// Texts read from the script, composed paths and messages: 260-byte buffers,
/// so at most 259 characters before the terminating NUL.
inline constexpr std::size_t kTextBuffer = 260;
inline constexpr std::size_t kMaxText = kTextBuffer - 1;

/// Paths that pass through a MAX_PATH buffer (links, the current directory).
inline constexpr std::size_t kMaxPath = kMaxText;

/// The directory field, the directory creator's path and the saved current
/// directory: 256-byte buffers, 255 characters.
inline constexpr std::size_t kDirectoryBuffer = 256;
inline constexpr std::size_t kMaxDirectory = kDirectoryBuffer - 1;

/// Registry values read back, and the installer's own directory for the
/// shared uninstaller: 200-byte buffers, 199 characters.
inline constexpr std::size_t kShortBuffer = 200;
inline constexpr std::size_t kMaxShort = kShortBuffer - 1;

/// An install script larger than this is no script: it is refused, not read.
inline constexpr unsigned long long kMaxScriptFile = 64ull << 20;

/// The shortcut table holds ten entries; a larger count is cut to them.
inline constexpr int kMaxShortcuts = 10;

}  // namespace cdsetup::base
