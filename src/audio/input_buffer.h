// A large stdio buffer for a converter's input. The decoders read their
// input in pieces of 200 to 4096 bytes; refilling the C library's own few KB
// would take a system call every few pieces.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>

namespace cdsetup::audio {

class InputBuffer {
 public:
  static constexpr std::size_t kSize = 64 * 1024;

  /// Gives `file`, just opened and not read yet, this buffer. The file must
  /// be closed before this object goes.
  explicit InputBuffer(std::FILE* file) : buffer_(std::make_unique_for_overwrite<char[]>(kSize)) {
    std::setvbuf(file, buffer_.get(), _IOFBF, kSize);
  }

 private:
  std::unique_ptr<char[]> buffer_;
};

}  // namespace cdsetup::audio
