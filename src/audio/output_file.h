// The file a converter writes its WAV into: created or truncated, written
// through a large buffer, and held to every write, the last flush and the
// close. A file that did not reach the disk whole is removed, so a full disk
// never leaves a WAV that looks finished.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

namespace cdsetup::audio {

class OutputFile {
 public:
  OutputFile() = default;
  /// A file still open here (an early return) is closed and removed.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  /// Creates or truncates `path` for binary writing. False when it cannot.
  bool Open(const char* path);
  bool is_open() const { return file_ != nullptr; }
  std::FILE* get() const { return file_; }

  /// Writes `bytes` bytes; false, remembered, when they did not all go out.
  bool Write(const void* data, std::size_t bytes);
  /// Records the outcome of a write made directly on get().
  bool Check(bool written) {
    if (!written) failed_ = true;
    return written;
  }
  bool failed() const { return failed_; }

  /// Closes the file. True when every write, the flush and the close
  /// succeeded; otherwise the file is removed and false is returned.
  bool Close();
  /// Closes and removes the file: what it holds is not to be kept.
  void Discard() {
    failed_ = true;
    (void)Close();
  }

 private:
  std::FILE* file_ = nullptr;
  std::unique_ptr<char[]> buffer_;  // the stream's buffer; outlives file_
  std::string path_;
  bool failed_ = false;
};

}  // namespace cdsetup::audio
