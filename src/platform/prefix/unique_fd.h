// A file descriptor that is closed on every path out of its scope, and can
// be handed on.
#pragma once

#include <unistd.h>

#include <utility>

namespace cdsetup::platform {

class UniqueFd {
 public:
  UniqueFd() = default;
  /// Takes `fd` (which may be -1, for none).
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { Reset(); }
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  /// Gives up the descriptor without closing it.
  int Release() { return std::exchange(fd_, -1); }
  /// Closes the descriptor held, if any, and takes `fd`.
  void Reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_ = -1;
};

}  // namespace cdsetup::platform
