// The C runtime's rand() of the Windows toolchain the installer was built
// with, never seeded (seed 1): the copy page's bar jumps through the same
// positions on every run.
#pragma once

#include <cstdint>

namespace cdsetup::copy {

class RuntimeRandom {
 public:
  /// The next number, 0 to 32767.
  int Next() {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int>((state_ >> 16) & 0x7FFF);
  }

 private:
  std::uint32_t state_ = 1;
};

}  // namespace cdsetup::copy
