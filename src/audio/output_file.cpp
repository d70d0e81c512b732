#include "audio/output_file.h"

#include <cstring>

namespace cdsetup::audio {

// The samples gather in our buffer and reach the file in pieces of its size,
// one system call each; the stream itself is unbuffered, so they are not
// copied a second time into its buffer on the way.

OutputFile::~OutputFile() {
  if (file_ != nullptr) Discard();
}

bool OutputFile::Open(const char* path) {
  file_ = std::fopen(path, "wb");
  if (file_ == nullptr) return false;
  path_ = path;
  failed_ = false;
  used_ = 0;
  std::setvbuf(file_, nullptr, _IONBF, 0);
  if (!buffer_) buffer_ = std::make_unique_for_overwrite<char[]>(kBufferSize);
  return true;
}

void OutputFile::Flush() {
  if (used_ != 0 && !failed_) Check(std::fwrite(buffer_.get(), 1, used_, file_) == used_);
  used_ = 0;
}

std::FILE* OutputFile::get() {
  Flush();
  return file_;
}

char* OutputFile::Reserve(std::size_t bytes) {
  if (kBufferSize - used_ < bytes) Flush();
  return buffer_.get() + used_;
}

bool OutputFile::Write(const void* data, std::size_t bytes) {
  if (kBufferSize - used_ < bytes) Flush();
  if (bytes >= kBufferSize) return Check(std::fwrite(data, 1, bytes, file_) == bytes);
  std::memcpy(buffer_.get() + used_, data, bytes);
  used_ += bytes;
  return !failed_;
}

bool OutputFile::Close() {
  if (!failed_) Flush();
  // The error mark also keeps a failed flush of an earlier seek.
  const bool clean = std::ferror(file_) == 0;
  const bool closed = std::fclose(file_) == 0 && clean;
  file_ = nullptr;
  used_ = 0;
  if (!closed) failed_ = true;
  if (failed_) (void)std::remove(path_.c_str());
  return !failed_;
}

}  // namespace cdsetup::audio
