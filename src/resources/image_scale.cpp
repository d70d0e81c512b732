// Nearest-neighbour scaling, as a picture loaded with a requested size gets.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "resources/image.h"

namespace cdsetup::resources {

Image Scale(const Image& image, int width, int height) {
  Image out;
  // The same bounds as for a decoded picture keep the allocation sane.
  if (image.empty() || width <= 0 || height <= 0 || width > kMaxImageSide ||
      height > kMaxImageSide ||
      static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * 4 > kMaxImageBytes ||
      image.pixels.size() != static_cast<std::size_t>(image.width) * image.height) {
    return out;
  }
  out.width = width;
  out.height = height;
  if (width == image.width && height == image.height) {
    out.pixels = image.pixels;  // each pixel is its own centre
    return out;
  }
  out.pixels.resize(static_cast<std::size_t>(width) * height);
  // Each target pixel takes the source pixel under its centre; the source
  // column of each target column is the same on every row.
  std::vector<std::size_t> columns(static_cast<std::size_t>(width));
  for (std::int64_t x = 0; x < width; ++x) {
    columns[static_cast<std::size_t>(x)] =
        static_cast<std::size_t>((2 * x + 1) * image.width / (2 * std::int64_t{width}));
  }
  for (std::int64_t y = 0; y < height; ++y) {
    const std::int64_t sy = (2 * y + 1) * image.height / (2 * std::int64_t{height});
    const std::uint32_t* row = &image.pixels[static_cast<std::size_t>(sy * image.width)];
    std::uint32_t* target = &out.pixels[static_cast<std::size_t>(y * width)];
    for (std::size_t x = 0; x < columns.size(); ++x) target[x] = row[columns[x]];
  }
  return out;
}

}  // namespace cdsetup::resources
