// A directory of the host's own for the check's passing files (an archive
// entry and the WAV made of it): made fresh, and removed with everything in
// it when the check ends, so a check leaves nothing behind.
#pragma once

#include <string>

#include "base/result.h"

namespace cdsetup::check {

class ScratchDir {
 public:
  /// Makes a new, empty directory below `parent` (the system's temporary
  /// directory when empty). IoError when none can be made.
  static base::Result<ScratchDir> Make(const std::string& parent = "");

  ScratchDir(ScratchDir&& other) noexcept : path_(std::move(other.path_)) { other.path_.clear(); }
  ScratchDir& operator=(ScratchDir&&) = delete;
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  /// Removes the directory and everything in it.
  ~ScratchDir();

  /// The host path of the directory.
  const std::string& path() const { return path_; }
  /// path() + "/" + `name`.
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  explicit ScratchDir(std::string path) : path_(std::move(path)) {}

  std::string path_;
};

}  // namespace cdsetup::check
