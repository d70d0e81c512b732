#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <vector>

#include "resources/image.h"

namespace cdsetup::resources {
namespace {

const std::vector<int> kIconIds = {128, 155, 156, 157, 158, 159, 160, 161, 162, 163, 164};

int Count(const Image& image, std::uint32_t argb, int x0 = 0, int x1 = 1 << 30) {
  int n = 0;
  for (int y = 0; y < image.height; ++y) {
    for (int x = x0; x < image.width && x < x1; ++x) n += image.at(x, y) == argb;
  }
  return n;
}

TEST(Icons, EveryListedIconIs16By16WithPictureAndTransparentBackground) {
  for (int id : kIconIds) {
    SCOPED_TRACE(id);
    const Image icon = LoadIconImage(id);
    ASSERT_EQ(icon.width, 16);
    ASSERT_EQ(icon.height, 16);
    ASSERT_EQ(icon.pixels.size(), 256u);
    std::set<std::uint32_t> colours;
    int transparent = 0;
    for (std::uint32_t p : icon.pixels) {
      const std::uint32_t alpha = p >> 24;
      EXPECT_TRUE(alpha == 0 || alpha == 0xFF);
      if (alpha == 0) {
        EXPECT_EQ(p, 0u);
        ++transparent;
      } else {
        colours.insert(p);
      }
    }
    EXPECT_GT(transparent, 0);         // drawn on a transparent background
    EXPECT_GE(256 - transparent, 30);  // and not blank
    EXPECT_GE(colours.size(), 2u) << "a picture, not a flat patch";
  }
}

TEST(Icons, NoTwoIconsAreTheSame) {
  std::set<std::vector<std::uint32_t>> seen;
  for (int id : kIconIds) EXPECT_TRUE(seen.insert(LoadIconImage(id).pixels).second) << id;
}

TEST(Icons, ApplicationIconHasALargeForm) {
  const Image large = LoadIconImage(128, true);
  ASSERT_EQ(large.width, 32);
  ASSERT_EQ(large.height, 32);
  ASSERT_EQ(large.pixels.size(), 1024u);
  EXPECT_GT(Count(large, 0), 0);
  EXPECT_GT(1024 - Count(large, 0), 200);
  EXPECT_NE(LoadIconImage(128, false).pixels, LoadIconImage(128, true).pixels);
}

TEST(Icons, OtherIconsHaveOneSize) {
  for (int id : {155, 158, 164}) {
    EXPECT_EQ(LoadIconImage(id, true).pixels, LoadIconImage(id, false).pixels) << id;
  }
}

TEST(Icons, FocusPatternIsABlackAndCyanCheckerboard) {
  const Image pattern = LoadIconImage(141);
  ASSERT_EQ(pattern.width, 8);
  ASSERT_EQ(pattern.height, 8);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      EXPECT_EQ(pattern.at(x, y), (x + y) % 2 == 0 ? 0xFF000000u : 0xFF00FFFFu) << x << "," << y;
    }
  }
}

TEST(Icons, PicturesShowWhatTheirRowsMean) {
  constexpr std::uint32_t kYellow = 0xFFFFFF00, kRed = 0xFFFF0000, kMagenta = 0xFFFF00FF;
  // Folders are yellow.
  EXPECT_GT(Count(LoadIconImage(158), kYellow), 60);
  EXPECT_GT(Count(LoadIconImage(160), kYellow), 40);
  // The floppy's lamp is red and at the left, the fixed disk's is at the right.
  const Image floppy = LoadIconImage(156);
  EXPECT_GT(Count(floppy, kRed, 0, 8), 0);
  EXPECT_EQ(Count(floppy, kRed, 8), 0);
  const Image fixed = LoadIconImage(164);
  EXPECT_GT(Count(fixed, 0xFF00FF00, 8), 0);
  EXPECT_EQ(Count(fixed, 0xFF00FF00, 0, 8), 0);
  // The compressed volume is pink.
  EXPECT_GT(Count(LoadIconImage(157), kMagenta), 3);
}

TEST(Icons, UnknownIdsGiveAnEmptyImage) {
  for (int id : {-1, 0, 1, 102, 127, 129, 140, 142, 154, 165, 1000}) {
    EXPECT_TRUE(LoadIconImage(id).empty()) << id;
    EXPECT_TRUE(LoadIconImage(id, true).empty()) << id;
  }
}

}  // namespace
}  // namespace cdsetup::resources
