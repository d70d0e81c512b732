// Lays BMP files out from their fields, for the decoder's tests, the demo
// medium's background picture and the fuzz seeds: any header size, depth,
// compression, palette and masks, with the pixel data stored as it is given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace cdsetup::bmpkit {

/// What a BMP file holds; WriteBmp lays it out.
struct BmpFile {
  std::uint32_t header_size = 40;  // 12, 40, 108 or 124
  std::int32_t width = 1;
  std::int32_t height = 1;  // negative: top-down
  std::uint16_t bpp = 24;
  std::uint32_t compression = 0;
  std::uint32_t colours_used = 0;      // 0: the palette's length when it is short
  std::vector<std::uint32_t> palette;  // 0xRRGGBB
  std::vector<std::uint32_t> masks;    // behind a 40-byte header, or inside a larger one
  std::string pixels;                  // the stored pixel data as it is
};

/// Offsets of the fields that damaged files overwrite (past a 40-byte header).
constexpr std::size_t kOffBitsAt = 10;
constexpr std::size_t kWidthAt = 18;
constexpr std::size_t kHeightAt = 22;
constexpr std::size_t kPlanesAt = 26;
constexpr std::size_t kBppAt = 28;
constexpr std::size_t kColoursUsedAt = 46;

/// Little-endian stores into bytes that are already there.
void Put16(std::string& s, std::size_t at, std::uint32_t v);
void Put32(std::string& s, std::size_t at, std::uint32_t v);

/// The file: file header, info header, masks, palette, then the pixels.
std::string WriteBmp(const BmpFile& bmp);

/// A picture: every pixel one of `colours`, in a pattern that tells rows,
/// columns and neighbours apart.
struct Picture {
  int width, height;
  std::vector<std::uint32_t> colours;  // 0xRRGGBB
  std::vector<int> index;              // per pixel, rows top to bottom
};

Picture MakePicture(int width, int height, int colour_count);

/// Packs the picture's rows as `bpp` stores them (an index for 8 bits and
/// fewer, the colour itself above), each row padded to 32 bits.
std::string PackRows(const Picture& p, int bpp, bool top_down);

/// Run-length codes the picture: runs of one index, each line closed by an
/// end-of-line, the whole by end-of-bitmap.
std::string PackRle(const Picture& p, bool four_bits);

/// The picture as an uncompressed file of `bpp` bits (with its palette at 8
/// bits and fewer), bottom-up or top-down.
BmpFile PictureBmp(const Picture& p, int bpp, bool top_down);
/// The picture run-length coded, RLE4 or RLE8, with its palette.
BmpFile RleBmp(const Picture& p, bool four_bits);

}  // namespace cdsetup::bmpkit
