// Feeds arbitrary bytes to the BMP decoder as a whole file: an accepted
// picture must have exactly width x height pixels within the bounds, and
// scaling it must give exactly the size asked for.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "resources/image.h"

namespace {

// A run-length file can declare a large picture in a few bytes; that is legal,
// but allocating hundreds of megabytes per input would only slow the search.
bool DeclaresHugePicture(const uint8_t* data, size_t size) {
  if (size < 26) return false;
  auto u32 = [&](size_t at) {
    return static_cast<uint32_t>(data[at] | data[at + 1] << 8 | data[at + 2] << 16 |
                                 static_cast<uint32_t>(data[at + 3]) << 24);
  };
  if (u32(14) == 12) return false;  // 16-bit sizes: at most 64 MiB of pixels anyway
  const int64_t w = static_cast<int32_t>(u32(18));
  int64_t h = static_cast<int32_t>(u32(22));
  if (h < 0) h = -h;
  return w > 0 && w * h > (int64_t{1} << 20);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace cdsetup::resources;
  if (DeclaresHugePicture(data, size)) return 0;
  auto image = DecodeBmp(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!image.ok()) return 0;
  const Image& picture = image.value();
  if (picture.width <= 0 || picture.height <= 0 || picture.width > kMaxImageSide ||
      picture.height > kMaxImageSide ||
      picture.pixels.size() != static_cast<size_t>(picture.width) * picture.height) {
    __builtin_trap();
  }
  const int w = 1 + static_cast<int>(size % 37);
  const int h = 1 + static_cast<int>(size % 23);
  const Image scaled = Scale(picture, w, h);
  if (scaled.width != w || scaled.height != h ||
      scaled.pixels.size() != static_cast<size_t>(w) * h) {
    __builtin_trap();
  }
  return 0;
}
