#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "bmpkit/bmp_writer.h"
#include "resources/image.h"

namespace cdsetup::resources {
namespace {

using base::Status;
using bmpkit::kHeightAt;
using bmpkit::kOffBitsAt;
using bmpkit::kPlanesAt;
using bmpkit::kWidthAt;
using bmpkit::MakePicture;
using bmpkit::PackRows;
using bmpkit::Picture;
using bmpkit::Put32;
using bmpkit::WriteBmp;
using TestBmp = bmpkit::BmpFile;

void ExpectPicture(const Image& image, const Picture& p) {
  ASSERT_EQ(image.width, p.width);
  ASSERT_EQ(image.height, p.height);
  ASSERT_EQ(image.pixels.size(), static_cast<std::size_t>(p.width * p.height));
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      const int i = p.index[static_cast<std::size_t>(y * p.width + x)];
      ASSERT_EQ(image.at(x, y), 0xFF000000u | p.colours[static_cast<std::size_t>(i)])
          << "at " << x << "," << y;
    }
  }
}

// ---- Well-formed files ----

TEST(BmpDecoder, RoundTripsEveryDepthBottomUpAndTopDown) {
  for (int bpp : {1, 4, 8, 24, 32}) {
    for (bool top_down : {false, true}) {
      // Odd widths leave padding at each row's end.
      const Picture p = MakePicture(13, 7, bpp <= 8 ? 1 << bpp : 200);
      SCOPED_TRACE(std::to_string(bpp) + (top_down ? " top-down" : " bottom-up"));
      auto image = DecodeBmp(WriteBmp(bmpkit::PictureBmp(p, bpp, top_down)));
      ASSERT_TRUE(image.ok()) << image.status().ToString();
      ExpectPicture(image.value(), p);
    }
  }
}

TEST(BmpDecoder, RoundTripsRle8AndRle4) {
  for (bool four_bits : {false, true}) {
    SCOPED_TRACE(four_bits ? "RLE4" : "RLE8");
    Picture p = MakePicture(300, 5, four_bits ? 16 : 256);  // runs longer than 255 split
    for (int x = 0; x < 290; ++x) p.index[static_cast<std::size_t>(2 * 300 + x)] = 3;
    auto image = DecodeBmp(WriteBmp(bmpkit::RleBmp(p, four_bits)));
    ASSERT_TRUE(image.ok()) << image.status().ToString();
    ExpectPicture(image.value(), p);
  }
}

TEST(BmpDecoder, CoreHeaderHasThreeBytePaletteEntries) {
  const Picture p = MakePicture(5, 3, 16);
  TestBmp bmp;
  bmp.header_size = 12;
  bmp.width = 5;
  bmp.height = 3;
  bmp.bpp = 4;
  bmp.palette = p.colours;
  bmp.pixels = PackRows(p, 4, false);
  auto image = DecodeBmp(WriteBmp(bmp));
  ASSERT_TRUE(image.ok()) << image.status().ToString();
  ExpectPicture(image.value(), p);
}

TEST(BmpDecoder, LaterHeadersReadTheirMasksInside) {
  const Picture p = MakePicture(4, 2, 50);
  for (std::uint32_t size : {108u, 124u}) {
    TestBmp bmp;
    bmp.header_size = size;
    bmp.width = 4;
    bmp.height = 2;
    bmp.bpp = 24;
    bmp.pixels = PackRows(p, 24, false);
    auto image = DecodeBmp(WriteBmp(bmp));
    ASSERT_TRUE(image.ok()) << size << ": " << image.status().ToString();
    ExpectPicture(image.value(), p);
  }
  // 32 bits with alpha: the alpha mask counts in a V4 header.
  TestBmp bmp;
  bmp.header_size = 108;
  bmp.width = 2;
  bmp.height = 1;
  bmp.bpp = 32;
  bmp.compression = 3;
  bmp.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  bmp.pixels = std::string("\x10\x20\x30\x80\x01\x02\x03\x00", 8);
  auto image = DecodeBmp(WriteBmp(bmp));
  ASSERT_TRUE(image.ok()) << image.status().ToString();
  EXPECT_EQ(image->at(0, 0), 0x80302010u);
  EXPECT_EQ(image->at(1, 0), 0x00030201u);
}

TEST(BmpDecoder, StoresTheBottomRowFirstUnlessTopDown) {
  TestBmp bmp;
  bmp.width = 1;
  bmp.height = 2;
  bmp.pixels = std::string("\x00\x00\xFF\x00\xFF\x00\x00\x00", 8);  // red, then blue
  auto image = DecodeBmp(WriteBmp(bmp));
  ASSERT_TRUE(image.ok());
  EXPECT_EQ(image->at(0, 0), 0xFF0000FFu);  // top: the row stored second
  EXPECT_EQ(image->at(0, 1), 0xFFFF0000u);
  bmp.height = -2;
  image = DecodeBmp(WriteBmp(bmp));
  ASSERT_TRUE(image.ok());
  EXPECT_EQ(image->at(0, 0), 0xFFFF0000u);
  EXPECT_EQ(image->at(0, 1), 0xFF0000FFu);
}

TEST(BmpDecoder, OneBitTakesTheHighestBitFirstAndFourBitsTheHighNibble) {
  TestBmp bmp;
  bmp.width = 9;
  bmp.bpp = 1;
  bmp.palette = {0x000000, 0xFFFFFF};
  bmp.pixels = std::string("\xA0\x80\x00\x00", 4);  // 1 0 1 0 0 0 0 0 | 1
  auto image = DecodeBmp(WriteBmp(bmp));
  ASSERT_TRUE(image.ok());
  const std::vector<std::uint32_t> expect = {
      ~0u, 0xFF000000u, ~0u, 0xFF000000u, 0xFF000000u, 0xFF000000u, 0xFF000000u, 0xFF000000u, ~0u};
  EXPECT_EQ(image->pixels, expect);

  bmp.width = 3;
  bmp.bpp = 4;
  bmp.palette = {0x000000, 0x111111, 0x222222};
  bmp.pixels = std::string("\x21\x00\x00\x00", 4);
  image = DecodeBmp(WriteBmp(bmp));
  ASSERT_TRUE(image.ok());
  EXPECT_EQ(image->pixels, (std::vector<std::uint32_t>{0xFF222222u, 0xFF111111u, 0xFF000000u}));
}

TEST(BmpDecoder, IndexBeyondAShortPaletteIsBlack) {
  TestBmp bmp;
  bmp.width = 2;
  bmp.bpp = 8;
  bmp.colours_used = 1;
  bmp.palette = {0x123456};
  bmp.pixels = std::string("\x00\x07\x00\x00", 4);
  auto image = DecodeBmp(WriteBmp(bmp));
  ASSERT_TRUE(image.ok());
  EXPECT_EQ(image->at(0, 0), 0xFF123456u);
  EXPECT_EQ(image->at(1, 0), 0xFF000000u);
}

TEST(BmpDecoder, SixteenBitsAre555UnlessMasksSayOtherwise) {
  TestBmp bmp;
  bmp.width = 2;
  bmp.bpp = 16;
  bmp.pixels = std::string("\x1F\x00\x00\x7C", 4);  // blue, red in 5-5-5
  auto image = DecodeBmp(WriteBmp(bmp));
  ASSERT_TRUE(image.ok());
  EXPECT_EQ(image->at(0, 0), 0xFF0000FFu);
  EXPECT_EQ(image->at(1, 0), 0xFFFF0000u);

  bmp.compression = 3;  // 5-6-5
  bmp.masks = {0xF800, 0x07E0, 0x001F};
  bmp.pixels = std::string("\xE0\x07\x00\xF8", 4);  // green, red
  image = DecodeBmp(WriteBmp(bmp));
  ASSERT_TRUE(image.ok()) << image.status().ToString();
  EXPECT_EQ(image->at(0, 0), 0xFF00FF00u);
  EXPECT_EQ(image->at(1, 0), 0xFFFF0000u);
}

TEST(BmpDecoder, PlainThirtyTwoBitsIgnoreTheFourthByte) {
  TestBmp bmp;
  bmp.width = 1;
  bmp.bpp = 32;
  bmp.pixels = std::string("\x01\x02\x03\x00", 4);
  auto image = DecodeBmp(WriteBmp(bmp));
  ASSERT_TRUE(image.ok());
  EXPECT_EQ(image->at(0, 0), 0xFF030201u);
}

TEST(BmpDecoder, RleEscapesLiteralRunsMovesAndEarlyEnd) {
  TestBmp bmp;
  bmp.width = 6;
  bmp.height = 3;
  bmp.bpp = 8;
  bmp.compression = 1;
  bmp.palette = {0x000000, 0x0000FF, 0x00FF00, 0xFF0000};
  // Bottom line: two of 1, then the literal 3 2 1 (padded), then one of 2.
  // Middle line: a move of 2 right and 1 up lands on the top line at x 2;
  // there four of 3 finish it, and the bitmap ends.
  bmp.pixels = std::string(
      "\x02\x01"
      "\x00\x03\x03\x02\x01\x00"
      "\x01\x02"
      "\x00\x00"
      "\x00\x02\x02\x01"
      "\x04\x03"
      "\x00\x01",
      20);
  auto image = DecodeBmp(WriteBmp(bmp));
  ASSERT_TRUE(image.ok()) << image.status().ToString();
  const std::uint32_t b = 0xFF0000FFu, g = 0xFF00FF00u, r = 0xFFFF0000u;
  const std::vector<std::uint32_t> expect = {
      0, 0, r, r, r, r,  // top: the move skipped two pixels
      0, 0, 0, 0, 0, 0,  // middle: skipped entirely, left transparent
      b, b, r, g, b, g,  // bottom
  };
  EXPECT_EQ(image->pixels, expect);
}

TEST(BmpDecoder, Rle4LiteralRunsUseBothNibbles) {
  TestBmp bmp;
  bmp.width = 5;
  bmp.bpp = 4;
  bmp.compression = 2;
  bmp.palette = {0x000000, 0x111111, 0x222222, 0x333333};
  // A literal of five nibbles 1 2 3 1 2 (three bytes, padded to four), then
  // end of bitmap.
  bmp.pixels = std::string("\x00\x05\x12\x31\x20\x00\x00\x01", 8);
  auto image = DecodeBmp(WriteBmp(bmp));
  ASSERT_TRUE(image.ok()) << image.status().ToString();
  EXPECT_EQ(image->pixels, (std::vector<std::uint32_t>{0xFF111111u, 0xFF222222u, 0xFF333333u,
                                                       0xFF111111u, 0xFF222222u}));
}

// ---- Damaged input ----

TestBmp Small8Bit() {
  TestBmp bmp;
  bmp.width = 3;
  bmp.height = 2;
  bmp.bpp = 8;
  bmp.palette = std::vector<std::uint32_t>(256, 0x808080);
  bmp.pixels = std::string(8, '\x01');
  return bmp;
}

TestBmp SmallRle() {
  TestBmp bmp = Small8Bit();
  bmp.compression = 1;
  bmp.pixels = std::string("\x03\x01\x00\x00\x03\x02\x00\x01", 8);
  return bmp;
}

struct DamageCase {
  std::string name;
  std::function<std::string()> bytes;
  base::Status::Kind kind;
};

TEST(BmpDecoder, DamagedInputIsRefusedWithoutReadingOutside) {
  using Kind = base::Status::Kind;
  auto with = [](TestBmp bmp, std::function<void(TestBmp&)> change) {
    change(bmp);
    return WriteBmp(bmp);
  };
  auto patched = [](std::string file, std::size_t at, std::uint32_t value) {
    Put32(file, at, value);
    return file;
  };
  const std::string good = WriteBmp(Small8Bit());
  ASSERT_TRUE(DecodeBmp(good).ok());
  ASSERT_TRUE(DecodeBmp(WriteBmp(SmallRle())).ok());

  const std::vector<DamageCase> cases = {
      {"empty", [] { return std::string(); }, Kind::kCorrupt},
      {"file header cut", [&] { return good.substr(0, 10); }, Kind::kCorrupt},
      {"info header cut", [&] { return good.substr(0, 30); }, Kind::kCorrupt},
      {"no signature", [&] { return "XM" + good.substr(2); }, Kind::kCorrupt},
      {"unknown header size", [&] { return patched(good, 14, 20); }, Kind::kUnsupported},
      {"header size past the end", [&] { return patched(good, 14, 0xFFFFFFF0); }, Kind::kCorrupt},
      {"negative width", [&] { return patched(good, kWidthAt, 0xFFFFFFFD); }, Kind::kCorrupt},
      {"zero width", [&] { return patched(good, kWidthAt, 0); }, Kind::kCorrupt},
      {"zero height", [&] { return patched(good, kHeightAt, 0); }, Kind::kCorrupt},
      {"wider than the bound", [&] { return patched(good, kWidthAt, 16385); }, Kind::kRefused},
      {"huge width", [&] { return patched(good, kWidthAt, 0x7FFFFFFF); }, Kind::kRefused},
      {"most negative height", [&] { return patched(good, kHeightAt, 0x80000000); },
       Kind::kRefused},
      {"too many pixels in all",
       [&] { return patched(patched(good, kWidthAt, 16384), kHeightAt, 16384); }, Kind::kRefused},
      {"two planes", [&] { return patched(good, kPlanesAt, 0x00080002); }, Kind::kCorrupt},
      {"seven bits per pixel", [&] { return patched(good, kPlanesAt, 0x00070001); },
       Kind::kUnsupported},
      {"JPEG inside", [&] { return patched(good, 30, 4); }, Kind::kUnsupported},
      {"RLE8 with 4 bits", [&] { return patched(patched(good, 30, 1), kPlanesAt, 0x00040001); },
       Kind::kUnsupported},
      {"palette past the end", [&] { return good.substr(0, 54 + 100); }, Kind::kCorrupt},
      {"palette count past the end",
       [&] {
         return with(Small8Bit(), [](TestBmp& s) {
           s.bpp = 4;
           s.colours_used = 16;
           s.palette.resize(2);
           s.pixels.clear();
         });
       },
       Kind::kCorrupt},
      {"pixel offset past the end",
       [&] { return patched(good, kOffBitsAt, static_cast<std::uint32_t>(good.size() + 1)); },
       Kind::kCorrupt},
      {"pixel offset huge", [&] { return patched(good, kOffBitsAt, 0xFFFFFFFF); }, Kind::kCorrupt},
      {"pixel offset inside the header", [&] { return patched(good, kOffBitsAt, 20); },
       Kind::kCorrupt},
      {"pixel data one byte short", [&] { return good.substr(0, good.size() - 1); },
       Kind::kCorrupt},
      {"mask not one run",
       [&] {
         return with(Small8Bit(), [](TestBmp& s) {
           s.bpp = 32;
           s.compression = 3;
           s.palette.clear();
           s.masks = {0x00FF00FF, 0x0000FF00, 0x000000FF};
           s.pixels = std::string(24, '\0');
         });
       },
       Kind::kCorrupt},
      {"masks past the end",
       [&] {
         return with(Small8Bit(), [](TestBmp& s) {
           s.bpp = 16;
           s.compression = 3;
           s.palette.clear();
           s.pixels.clear();
         });
       },
       Kind::kCorrupt},
      {"RLE run past the line",
       [&] { return with(SmallRle(), [](TestBmp& s) { s.pixels[0] = 4; }); }, Kind::kCorrupt},
      {"RLE literal past the line",
       [&] {
         return with(SmallRle(),
                     [](TestBmp& s) { s.pixels = std::string("\x00\x04\x01\x01\x01\x01", 6); });
       },
       Kind::kCorrupt},
      {"RLE literal cut off",
       [&] {
         return with(SmallRle(), [](TestBmp& s) { s.pixels = std::string("\x00\x03\x01", 3); });
       },
       Kind::kCorrupt},
      {"RLE move past the image",
       [&] {
         return with(SmallRle(),
                     [](TestBmp& s) { s.pixels = std::string("\x00\x02\x00\x05\x01\x01", 6); });
       },
       Kind::kCorrupt},
      {"RLE move past the line",
       [&] {
         return with(SmallRle(),
                     [](TestBmp& s) { s.pixels = std::string("\x00\x02\x04\x00\x00\x01", 6); });
       },
       Kind::kCorrupt},
      {"RLE lines above the image",
       [&] {
         return with(SmallRle(), [](TestBmp& s) {
           s.pixels = std::string("\x00\x00\x00\x00\x01\x01\x00\x01", 8);
         });
       },
       Kind::kCorrupt},
      {"RLE ends early", [&] { return with(SmallRle(), [](TestBmp& s) { s.pixels.resize(4); }); },
       Kind::kCorrupt},
      {"RLE with no data", [&] { return with(SmallRle(), [](TestBmp& s) { s.pixels.clear(); }); },
       Kind::kCorrupt},
      {"RLE top-down", [&] { return with(SmallRle(), [](TestBmp& s) { s.height = -2; }); },
       Kind::kCorrupt},
  };
  for (const DamageCase& c : cases) {
    SCOPED_TRACE(c.name);
    // A copy of exactly the bytes, so that ASan sees any read past them.
    const std::string bytes = c.bytes();
    std::vector<char> exact(bytes.begin(), bytes.end());
    auto image = DecodeBmp(std::string_view(exact.data(), exact.size()));
    ASSERT_FALSE(image.ok());
    EXPECT_EQ(image.status().kind(), c.kind) << image.status().ToString();
  }
}

TEST(BmpDecoder, EveryCutOfAnUncompressedFileFails) {
  const std::string good = WriteBmp(Small8Bit());
  for (std::size_t n = 0; n < good.size(); ++n) {
    std::vector<char> exact(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_FALSE(DecodeBmp(std::string_view(exact.data(), exact.size())).ok()) << n;
  }
}

TEST(BmpDecoder, RleMayLeaveOutTheEndMarkOnceEveryLineIsDone) {
  TestBmp bmp = SmallRle();
  bmp.pixels = std::string("\x03\x01\x00\x00\x03\x02", 6);
  auto image = DecodeBmp(WriteBmp(bmp));
  ASSERT_TRUE(image.ok()) << image.status().ToString();
  bmp.pixels = std::string("\x03\x01\x00\x00\x02\x02", 6);
  EXPECT_FALSE(DecodeBmp(WriteBmp(bmp)).ok());
}

TEST(BmpDecoder, DecodedPicturesAlwaysMatchTheirSizeUnderDamage) {
  // Every byte of a small RLE file and a bit-field file turned over: whatever
  // comes back is consistent, and nothing reads outside (ASan watches).
  TestBmp fields = Small8Bit();
  fields.bpp = 32;
  fields.compression = 3;
  fields.palette.clear();
  fields.masks = {0xFF0000, 0xFF00, 0xFF};
  fields.pixels = std::string(24, '\x5A');
  for (const std::string& good : {WriteBmp(SmallRle()), WriteBmp(fields)}) {
    for (std::size_t i = 0; i < good.size(); ++i) {
      for (unsigned char flip : {0x01, 0x80, 0xFF}) {
        std::vector<char> bytes(good.begin(), good.end());
        bytes[i] = static_cast<char>(bytes[i] ^ flip);
        auto image = DecodeBmp(std::string_view(bytes.data(), bytes.size()));
        if (!image.ok()) continue;
        EXPECT_EQ(image->pixels.size(),
                  static_cast<std::size_t>(image->width) * static_cast<std::size_t>(image->height));
      }
    }
  }
}

// ---- Scaling ----

TEST(ImageScale, NearestNeighbourTakesThePixelUnderEachCentre) {
  Image src{2, 2, {1, 2, 3, 4}};
  Image up = Scale(src, 4, 4);
  EXPECT_EQ(up.pixels,
            (std::vector<std::uint32_t>{1, 1, 2, 2, 1, 1, 2, 2, 3, 3, 4, 4, 3, 3, 4, 4}));
  Image wide{4, 1, {1, 2, 3, 4}};
  EXPECT_EQ(Scale(wide, 2, 1).pixels, (std::vector<std::uint32_t>{2, 4}));
  Image odd = Scale(wide, 3, 2);
  EXPECT_EQ(odd.pixels, (std::vector<std::uint32_t>{1, 3, 4, 1, 3, 4}));
}

TEST(ImageScale, EverySizeUpAndDownTakesTheCentresPixel) {
  Image src{7, 5, {}};
  for (std::uint32_t i = 0; i < 35; ++i) src.pixels.push_back(i * 2654435761u);
  for (int w = 1; w <= 15; ++w) {
    for (int h = 1; h <= 11; ++h) {
      const Image out = Scale(src, w, h);
      ASSERT_EQ(out.width, w);
      ASSERT_EQ(out.height, h);
      for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
          // The centre (x + 1/2, y + 1/2) of the target pixel, in the source.
          const int sx = (2 * x + 1) * src.width / (2 * w);
          const int sy = (2 * y + 1) * src.height / (2 * h);
          ASSERT_EQ(out.at(x, y), src.at(sx, sy)) << w << "x" << h << " at " << x << "," << y;
        }
      }
    }
  }
}

TEST(ImageScale, SameSizeIsACopyAndBadSizesGiveNothing) {
  const Picture p = MakePicture(7, 5, 9);
  Image src{7, 5, {}};
  for (int i : p.index) src.pixels.push_back(static_cast<std::uint32_t>(i));
  EXPECT_EQ(Scale(src, 7, 5).pixels, src.pixels);
  EXPECT_TRUE(Scale(src, 0, 5).empty());
  EXPECT_TRUE(Scale(src, 7, -1).empty());
  EXPECT_TRUE(Scale(src, kMaxImageSide + 1, 1).empty());
  EXPECT_TRUE(Scale(src, kMaxImageSide, kMaxImageSide).empty());  // over the byte bound
  EXPECT_TRUE(Scale(Image{}, 4, 4).empty());
}

TEST(ImageScale, ABackgroundPictureScalesToTheMainDialogsSize) {
  const Picture p = MakePicture(640, 480, 256);
  TestBmp bmp;
  bmp.width = 640;
  bmp.height = 480;
  bmp.bpp = 8;
  bmp.palette = p.colours;
  bmp.pixels = PackRows(p, 8, false);
  auto image = DecodeBmp(WriteBmp(bmp));
  ASSERT_TRUE(image.ok());
  Image scaled = Scale(image.value(), 350, 250);
  ASSERT_EQ(scaled.width, 350);
  ASSERT_EQ(scaled.height, 250);
  EXPECT_EQ(scaled.at(0, 0), image->at(0, 0));
  EXPECT_EQ(scaled.at(349, 249), image->at(639, 479));
  EXPECT_EQ(scaled.at(175, 125), image->at(320, 240));
}

}  // namespace
}  // namespace cdsetup::resources
