// Whole-file operations on host paths that the prefix platform builds on:
// bounded reads, atomic replacement, and a fast file copy.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/result.h"

namespace cdsetup::platform {

/// Opens `path` for reading only when it is a regular file: a pipe, a device
/// or a socket is Refused without waiting for a writer (a pipe on a medium
/// would hang the reading for good). The descriptor blocks as usual.
base::Result<int> OpenRegularHostFile(const std::string& path);

/// `path` with every link followed and no "." or ".."; empty when it cannot
/// be resolved (it does not exist).
std::string RealHostPath(const std::string& path);

/// Whether the absolute host path `path` is `folder` or lies below it.
bool IsHostPathBelow(std::string_view path, std::string_view folder);

/// Reads a whole regular file. NotFound when missing; Refused when it is no
/// regular file, or larger than `max_size` bytes (nothing is read then).
base::Result<std::string> ReadHostFile(const std::string& path, std::uint64_t max_size);

/// The same for a file already open as `fd`, read from its current offset to
/// its end; `path` names it in messages. The descriptor stays open.
base::Result<std::string> ReadOpenHostFile(int fd, const std::string& path, std::uint64_t max_size);

/// Replaces `path` with `content` atomically: writes a temporary file in the
/// same directory, flushes it to disk, then renames it over `path`. An
/// existing file keeps its permission bits. On failure `path` is untouched and
/// the temporary file is removed.
base::Status WriteHostFileAtomically(const std::string& path, std::string_view content);

/// Removes what interrupted atomic writes of `path` left beside it: its
/// temporary files, unchanged for over ten minutes (a write in progress
/// elsewhere takes milliseconds).
void RemoveStaleTemporariesOf(const std::string& path);

/// Copies a regular file. With `replace` (a target is there) the copy goes to
/// a temporary file beside the target, renamed over it when whole, so that a
/// failure leaves the old file (even a read-only one is replaced); without,
/// straight to `to`. Uses copy_file_range, falling back to a read/write loop
/// with large buffers where the kernel refuses it. A failed copy removes
/// what it wrote.
base::Status CopyHostFile(const std::string& from, const std::string& to, bool replace);

/// Removes `path` with everything below it; what cannot be removed stays.
void RemoveHostTree(const std::string& path);

/// What CopyHostFile does around the data, for any source: makes `to` (with
/// `replace` beside it, renamed over it when whole) with the permission bits
/// of `mode`, and has `fill` write the content to the descriptor. A failure
/// removes what was written.
base::Status WriteHostFileFrom(const std::string& to, bool replace, unsigned mode,
                               const std::function<base::Status(int fd)>& fill);

/// Writes all of `data` to `fd`, through short writes and interruptions;
/// `path` names the file in the error.
base::Status WriteAllToHostFile(int fd, const char* data, std::size_t size,
                                const std::string& path);

}  // namespace cdsetup::platform
