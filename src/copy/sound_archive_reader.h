// Reads sound archives entry by entry, in bounded pieces; never trusts a
// length field. An archive is a plain run of entries: kind, data length and
// name length (32-bit little-endian), the name, then the data.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "base/limits.h"
#include "base/result.h"
#include "platform/platform.h"

namespace cdsetup::copy {

/// Entry kinds; any other value is an entry that is skipped.
inline constexpr std::uint32_t kKindVorbis = 0;
inline constexpr std::uint32_t kKindSpeex = 1;

/// Names are read into 260-byte buffers: 259 characters at most.
inline constexpr std::uint32_t kMaxEntryName = base::kMaxText;
/// Size of the 12-byte entry header before the name.
inline constexpr std::uint64_t kEntryHeaderSize = 12;

struct ArchiveEntry {
  std::uint32_t kind = 0;
  std::uint32_t data_length = 0;
  std::string name;  // ANSI, as stored
  /// Bytes the whole entry takes in the archive: 12 + name + data.
  std::uint64_t Span() const { return kEntryHeaderSize + name.size() + data_length; }
};

/// How the names of the copy's temporary files begin; no name of the medium's
/// may, so that a temporary file never stands where one of them goes.
inline constexpr std::string_view kTempPrefix = "~cdsetup.";

/// Ok for a name that can only name a file inside the entry's directory;
/// Refused for an empty name, one with "\", "/", a drive prefix ("x:"), a
/// control character, "." / ".." as the whole name, or one that begins as
/// the copy's temporary files do (kTempPrefix, in any letter case).
base::Status CheckEntryName(std::string_view name);

class SoundArchiveReader {
 public:
  /// Bytes streamed per read and write while copying an entry's data.
  static constexpr std::size_t kPieceSize = 256 * 1024;

  /// Reads from `file` (positioned at the archive's start) whose length is
  /// `size` bytes. The reader does not own the file.
  SoundArchiveReader(std::FILE* file, std::uint64_t size) : file_(file), size_(size) {}

  /// Measures a file's length (seek to the end and back to 0); IoError when
  /// it cannot be positioned.
  static base::Result<std::uint64_t> MeasureSize(std::FILE* file);

  /// True when the entries read so far reach or pass the archive's size.
  bool AtEnd() const { return consumed_ >= size_; }
  std::uint64_t consumed() const { return consumed_; }
  std::uint64_t size() const { return size_; }

  /// Reads the next entry's header and name. Corrupt when the header or the
  /// name runs past the end of the archive, when the name length is 260 or
  /// more, or when the data would run past the end; the reader is then
  /// unusable. The data must be taken with CopyData (or SkipData) next.
  base::Result<ArchiveEntry> ReadHeader();

  /// Streams the data of the entry just read into `out` in pieces of at most
  /// kPieceSize. IoError when a read or a write fails (out of space). On
  /// success the entry counts as consumed.
  base::Status CopyData(std::FILE* out);
  /// Steps over the data of the entry just read.
  base::Status SkipData();
  /// Steps over the data of the entry just read, keeping its first and its
  /// last `each` bytes (all of it, in `head`, when shorter than twice that);
  /// the middle is passed by seeking.
  base::Status SkipDataKeepingEnds(std::size_t each, std::string& head, std::string& tail);

 private:
  std::FILE* file_;
  std::uint64_t size_;
  std::uint64_t consumed_ = 0;
  std::uint64_t pending_ = 0;  // data bytes of the current entry still unread
  std::uint64_t pending_span_ = 0;
  bool broken_ = false;
};

}  // namespace cdsetup::copy
