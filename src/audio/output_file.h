// The file a converter writes its WAV into: created or truncated, written
// through a large buffer of its own, and held to every write, the last flush
// and the close. A file that did not reach the disk whole is removed, so a
// full disk never leaves a WAV that looks finished.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

namespace cdsetup::audio {

class OutputFile {
 public:
  /// The most that Reserve may ask for.
  static constexpr std::size_t kBufferSize = 64 * 1024;

  OutputFile() = default;
  /// A file still open here (an early return) is closed and removed.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  /// Creates or truncates `path` for binary writing. False when it cannot.
  bool Open(const char* path);
  bool is_open() const { return file_ != nullptr; }
  /// The stream, for writes made directly on it: what is buffered here goes
  /// out first, so they land after it.
  std::FILE* get();

  /// Writes `bytes` bytes; false, remembered, when they did not all go out.
  bool Write(const void* data, std::size_t bytes);
  /// Room for `bytes` (at most kBufferSize) at the end of the buffer, for a
  /// decoder to fill in place; Commit then says how much it wrote there.
  /// Once a write has failed the room is still given, and its bytes dropped.
  char* Reserve(std::size_t bytes);
  void Commit(std::size_t bytes) { used_ += bytes; }
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
  // Hands the buffered bytes to the stream, which writes them at once.
  void Flush();

  std::FILE* file_ = nullptr;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
  std::string path_;
  bool failed_ = false;
};

}  // namespace cdsetup::audio
