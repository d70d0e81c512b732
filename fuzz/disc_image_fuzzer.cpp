// Feeds arbitrary bytes to the CD image reader as an image file: opening it,
// walking every folder and reading every file must end with results, never a
// crash, a hang or a read outside what a file holds.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/prefix/disc_image.h"

namespace {

using cdsetup::platform::DiscEntry;
using cdsetup::platform::DiscImage;

// Bounds that keep one input quick: a damaged record can claim gigabytes.
constexpr std::size_t kMostEntries = 2000;
constexpr std::uint64_t kMostBytesPerFile = 256 * 1024;

void Walk(DiscImage& disc, std::vector<std::string>& path, std::size_t& entries) {
  auto listed = disc.List(path);
  if (!listed.ok()) return;
  for (const DiscEntry& entry : *listed) {
    if (++entries > kMostEntries || path.size() > 8) return;
    path.push_back(entry.name);
    auto found = disc.Find(path);
    if (found.ok()) {
      if (found->is_directory) {
        Walk(disc, path, entries);
      } else {
        std::string bytes(static_cast<std::size_t>(std::min(found->size, kMostBytesPerFile)), '\0');
        auto got = disc.Read(*found, 0, bytes.data(), bytes.size());
        if (got.ok() && *got > bytes.size()) __builtin_trap();
        if (auto stream = disc.OpenStream(*found); stream.ok()) {
          char piece[4096];
          std::fseek(stream->get(), static_cast<long>(found->size / 2), SEEK_SET);
          if (std::fread(piece, 1, sizeof piece, stream->get()) > sizeof piece) __builtin_trap();
        }
      }
    }
    path.pop_back();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The library opens images by name: the input becomes a file in memory.
  static const int fd = ::memfd_create("disc", 0);
  if (fd < 0 || ::ftruncate(fd, 0) != 0) return 0;
  if (size > 0 && ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) return 0;
  auto opened = DiscImage::Open("/proc/self/fd/" + std::to_string(fd));
  if (!opened.ok()) return 0;
  std::vector<std::string> path;
  std::size_t entries = 0;
  Walk(**opened, path, entries);
  return 0;
}
