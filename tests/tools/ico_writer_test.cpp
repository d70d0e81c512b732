#include "iconkit/ico_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "resources/image.h"
#include "resources/resource_ids.h"

namespace cdsetup::iconkit {
namespace {

std::uint32_t Get16(const std::string& s, std::size_t at) {
  return static_cast<unsigned char>(s[at]) | static_cast<unsigned char>(s[at + 1]) << 8;
}
std::uint32_t Get32(const std::string& s, std::size_t at) {
  return Get16(s, at) | Get16(s, at + 2) << 16;
}

// Reads each entry back as Windows does: the directory's size and offset,
// the bottom-up BGRA rows, then the AND mask.
TEST(IcoWriter, EveryEntryHoldsItsPictureAndItsTransparencyMask) {
  const resources::Image small = resources::LoadIconImage(resources::IDI_APP, false);
  const resources::Image large = resources::LoadIconImage(resources::IDI_APP, true);
  resources::Image odd;  // a side that is not a multiple of 32 pads its mask rows
  odd.width = odd.height = 3;
  odd.pixels = {0xFF112233, 0, 0xFF445566, 0, 0xFFFFFFFF, 0, 0x80ABCDEF, 0, 0xFF000000};
  const std::vector<resources::Image> images = {small, large, odd,
                                                resources::Scale(large, 256, 256)};
  const std::string ico = WriteIco(images);
  ASSERT_GE(ico.size(), 6u + 16u * images.size());
  EXPECT_EQ(Get16(ico, 0), 0u);
  EXPECT_EQ(Get16(ico, 2), 1u);
  ASSERT_EQ(Get16(ico, 4), images.size());
  std::size_t expected_offset = 6 + 16 * images.size();
  for (std::size_t i = 0; i < images.size(); ++i) {
    SCOPED_TRACE(i);
    const resources::Image& image = images[i];
    const std::size_t entry = 6 + 16 * i;
    EXPECT_EQ(static_cast<unsigned char>(ico[entry]), image.width == 256 ? 0 : image.width);
    EXPECT_EQ(Get16(ico, entry + 6), 32u);
    const std::uint32_t size = Get32(ico, entry + 8);
    const std::uint32_t offset = Get32(ico, entry + 12);
    EXPECT_EQ(offset, expected_offset);
    expected_offset += size;
    const std::size_t mask_row = static_cast<std::size_t>((image.width + 31) / 32) * 4;
    ASSERT_EQ(size, 40 + 4u * image.width * image.height + mask_row * image.height);
    ASSERT_LE(offset + size, ico.size());
    EXPECT_EQ(Get32(ico, offset + 4), static_cast<std::uint32_t>(image.width));
    EXPECT_EQ(Get32(ico, offset + 8), static_cast<std::uint32_t>(2 * image.height));
    const std::size_t colours = offset + 40;
    const std::size_t mask = colours + 4u * image.width * image.height;
    int mismatches = 0;
    for (int y = 0; y < image.height; ++y) {
      const int stored_row = image.height - 1 - y;
      for (int x = 0; x < image.width; ++x) {
        const std::uint32_t pixel = Get32(ico, colours + 4u * (stored_row * image.width + x));
        const bool masked =
            (static_cast<unsigned char>(ico[mask + stored_row * mask_row + x / 8]) >> (7 - x % 8)) &
            1;
        if (pixel != image.at(x, y) || masked != ((image.at(x, y) >> 24) == 0)) ++mismatches;
      }
    }
    EXPECT_EQ(mismatches, 0);
  }
  EXPECT_EQ(expected_offset, ico.size());
}

TEST(IcoWriter, RefusesWhatAnIconCannotHold) {
  resources::Image wide;
  wide.width = 2;
  wide.height = 1;
  wide.pixels = {0, 0};
  resources::Image huge;
  huge.width = huge.height = 257;
  huge.pixels.assign(257 * 257, 0);
  resources::Image short_pixels;
  short_pixels.width = short_pixels.height = 4;
  short_pixels.pixels.assign(3, 0);
  for (const auto& images : std::vector<std::vector<resources::Image>>{
           {}, {wide}, {huge}, {short_pixels}, {resources::Image{}}}) {
    EXPECT_TRUE(WriteIco(images).empty());
  }
}

}  // namespace
}  // namespace cdsetup::iconkit
