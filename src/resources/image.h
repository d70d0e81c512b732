// Pictures held in memory: the program's own icons, and bitmaps read from BMP
// files. Pixels are 0xAARRGGBB, rows top to bottom.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace cdsetup::resources {

/// Bounds on a decoded or scaled picture: each side, and width x height x 4
/// bytes of pixels. A larger one is refused, not allocated.
inline constexpr int kMaxImageSide = 16384;
inline constexpr std::uint64_t kMaxImageBytes = std::uint64_t{256} << 20;

struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // width * height

  bool empty() const { return width == 0 || height == 0; }
  std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

/// The program's icon with resource id `id` (the application icon 128, the
/// list icons 155 to 164) at 16 x 16 (or 32 x 32 for the application icon's
/// large form when `large`; the other icons have one size only), with a
/// transparent background. Id 141 is the lists' focus pattern: an opaque 8 x 8
/// checkerboard, used as a brush. An empty image for an unknown id.
Image LoadIconImage(int id, bool large = false);

/// Decodes a Windows BMP file (1, 4, 8, 24 and 32 bits per pixel, bottom-up or
/// top-down, uncompressed or RLE8/RLE4). Damaged or oversized input is a
/// failure, never a read outside `bytes`.
base::Result<Image> DecodeBmp(std::string_view bytes);

/// `image` scaled to `width` x `height` (nearest neighbour), as a picture
/// loaded with a size is.
Image Scale(const Image& image, int width, int height);

}  // namespace cdsetup::resources
