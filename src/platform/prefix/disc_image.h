// A CD read straight from its image or its drive, without mounting it: an
// ISO 9660 image (Joliet and Rock Ridge names), a CUE sheet with its BIN
// track (2048- or 2352-byte sectors), a raw BIN, or a CD device such as
// /dev/sr0. Names are matched without regard to case, as Windows does on a
// CD; Joliet names are the ones Windows shows, and are preferred.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/result.h"
#include "platform/platform.h"

namespace cdsetup::platform {

struct DiscEntry {
  std::string name;           // as shown, in UTF-8, without the ";1" version
  bool is_directory = false;  // else a file
  bool is_link = false;       // a Rock Ridge symbolic link: not opened
  std::uint32_t lsn = 0;      // its first sector
  std::uint64_t size = 0;     // in bytes
  unsigned mode = 0444;       // host permission bits (Rock Ridge's, else read-only)
};

/// A CUE sheet's first data track: its file's host path, and its mode as
/// the sheet names it ("MODE1/2352").
struct CueTrack {
  std::string file;
  std::string mode;
};
/// The first data track of the CUE sheet at `cue_path` that starts its file.
base::Result<CueTrack> DataTrackOfCueSheet(const std::string& cue_path);

class DiscImage {
 public:
  /// Whether `host_path` is read as an image rather than as a folder: a
  /// regular file or a block device.
  static bool IsImagePath(const std::string& host_path);

  /// Opens the image or device. NotFound when missing; Corrupt when it holds
  /// no ISO 9660 file system.
  static base::Result<std::unique_ptr<DiscImage>> Open(const std::string& host_path);
  ~DiscImage();
  DiscImage(const DiscImage&) = delete;
  DiscImage& operator=(const DiscImage&) = delete;

  /// The volume id, trailing blanks removed: the drive's name under Windows.
  const std::string& volume_id() const { return volume_id_; }
  /// The size of the image in bytes, as far as the file system says.
  std::uint64_t size() const { return size_; }

  /// The entry at the path `parts` (UTF-8 names, any case); the root for no
  /// parts. NotFound when a part is missing or a folder on the way a file.
  base::Result<DiscEntry> Find(const std::vector<std::string>& parts);
  /// The entries of the folder at `parts`, without "." and "..".
  base::Result<std::vector<DiscEntry>> List(const std::vector<std::string>& parts);

  /// Reads up to `size` bytes of `file` from `offset`: fewer only at its
  /// end. IoError naming the file when the image ends before it or cannot
  /// be read.
  base::Result<std::size_t> Read(const DiscEntry& file, std::uint64_t offset, void* buffer,
                                 std::size_t size);
  /// `file` as a read-only stream, for the readers that take one.
  base::Result<FilePtr> OpenStream(const DiscEntry& file);

  /// What the library reads: an image file, or a CUE sheet's tracks.
  class Source;

 private:
  struct Folder {
    std::vector<DiscEntry> entries;
    std::vector<std::string> raw_names;  // as the file system spells them
    std::vector<std::u32string> folded;  // the names folded for matching
  };

  explicit DiscImage(std::unique_ptr<Source> source);
  /// The folder at `raw_path` ("/" for the root), whose record is `entry`,
  /// listed once and kept: a CD does not change. Null when it cannot be read
  /// or a record of it is damaged: those are never handed to the library.
  const Folder* FolderAt(const std::string& raw_path, const DiscEntry& entry);
  /// Reads the root folder's record from the volume descriptor the library
  /// uses into `root_`; false when there is none.
  bool FindRoot();
  /// Walks `parts`; fills the entry found and its raw path.
  base::Status Walk(const std::vector<std::string>& parts, DiscEntry* entry, std::string* raw_path);

  std::unique_ptr<Source> source_;
  DiscEntry root_;
  std::string volume_id_;
  std::uint64_t size_ = 0;
  std::mutex mutex_;  // the library's handle is not shared between threads
  std::unordered_map<std::string, Folder> folders_;
  std::vector<char> bounce_;  // one sector, for the parts of sectors
};

}  // namespace cdsetup::platform
