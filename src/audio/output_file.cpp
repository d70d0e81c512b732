#include "audio/output_file.h"

namespace cdsetup::audio {

namespace {

// The C library would pick the file system's block size, a few KB; samples
// reach the file in fewer system calls through this.
constexpr std::size_t kOutputBufferSize = 64 * 1024;

}  // namespace

OutputFile::~OutputFile() {
  if (file_ != nullptr) Discard();
}

bool OutputFile::Open(const char* path) {
  file_ = std::fopen(path, "wb");
  if (file_ == nullptr) return false;
  path_ = path;
  failed_ = false;
  buffer_ = std::make_unique_for_overwrite<char[]>(kOutputBufferSize);
  std::setvbuf(file_, buffer_.get(), _IOFBF, kOutputBufferSize);
  return true;
}

bool OutputFile::Write(const void* data, std::size_t bytes) {
  return Check(std::fwrite(data, 1, bytes, file_) == bytes);
}

bool OutputFile::Close() {
  // fclose flushes the buffer: a disk that filled up shows here at the latest.
  // The error mark also keeps a failed flush of an earlier seek.
  const bool clean = std::ferror(file_) == 0;
  const bool closed = std::fclose(file_) == 0 && clean;
  file_ = nullptr;
  buffer_.reset();
  if (!closed) failed_ = true;
  if (failed_) (void)std::remove(path_.c_str());
  return !failed_;
}

}  // namespace cdsetup::audio
