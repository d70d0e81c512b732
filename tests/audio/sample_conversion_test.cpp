#include "audio/sample_conversion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <limits>
#include <vector>

namespace cdsetup::audio {
namespace {

// What the conversion must equal: clip, then floor(x + 0.5) in exact
// arithmetic (a float plus 0.5 is exact in double).
std::int16_t Reference(float v) {
  const double c = std::min(32000.0, std::max(-32000.0, static_cast<double>(v)));
  return static_cast<std::int16_t>(std::floor(c + 0.5));
}

TEST(AudioClipAndRound, ClipsAt32000AndRoundsHalfUp) {
  EXPECT_EQ(ClipAndRound(32767.4f), 32000);
  EXPECT_EQ(ClipAndRound(-40000.0f), -32000);
  EXPECT_EQ(ClipAndRound(12.5f), 13);
  EXPECT_EQ(ClipAndRound(-12.5f), -12);
  EXPECT_EQ(ClipAndRound(32000.0f), 32000);
  EXPECT_EQ(ClipAndRound(31999.5f), 32000);
  EXPECT_EQ(ClipAndRound(-31999.5f), -31999);
  EXPECT_EQ(ClipAndRound(-32000.4f), -32000);
  EXPECT_EQ(ClipAndRound(0.49999997f), 0);
  EXPECT_EQ(ClipAndRound(-0.5f), 0);
  EXPECT_EQ(ClipAndRound(-0.50000006f), -1);
  EXPECT_EQ(ClipAndRound(std::numeric_limits<float>::infinity()), 32000);
  EXPECT_EQ(ClipAndRound(-std::numeric_limits<float>::infinity()), -32000);
  EXPECT_EQ(ClipAndRound(std::numeric_limits<float>::quiet_NaN()), 0);
}

TEST(AudioClipAndRound, FrameMatchesExactRoundingAroundEveryHalf) {
  // Every half-integer in range with its float neighbours, where a float
  // "+ 0.5" would go wrong, plus values beyond the limits.
  std::vector<float> in;
  for (int k = -32010; k <= 32010; ++k) {
    const float half = static_cast<float>(k) + 0.5f;
    in.push_back(half);
    in.push_back(std::nextafter(half, -1e9f));
    in.push_back(std::nextafter(half, 1e9f));
    in.push_back(static_cast<float>(k));
  }
  std::vector<std::int16_t> out(in.size());
  ClipAndRoundFrame(in.data(), out.data(), in.size());
  for (std::size_t i = 0; i < in.size(); ++i) {
    ASSERT_EQ(out[i], Reference(in[i])) << "sample " << in[i];
  }
}

TEST(AudioClipAndRound, FrameGivesEverySampleWhatOneSampleGetsAtAnyPositionAndLength) {
  // Infinities, NaN, signed zeros and the limits in every lane of a block and
  // in the tail that follows the last whole block.
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const float specials[] = {nan,       inf,      -inf,      -0.0f,       0.0f,  32000.5f,
                            -32000.5f, 31999.5f, -31999.5f, 0.49999997f, -0.5f, -0.50000006f,
                            1e30f,     -1e30f,   2.5f,      -2.5f};
  for (std::size_t length = 0; length <= 19; ++length) {
    for (std::size_t shift = 0; shift < std::size(specials); ++shift) {
      std::vector<float> in(length);
      for (std::size_t i = 0; i < length; ++i) in[i] = specials[(i + shift) % std::size(specials)];
      std::vector<std::int16_t> out(length + 1, 0x5A5A);
      ClipAndRoundFrame(in.data(), out.data(), length);
      for (std::size_t i = 0; i < length; ++i) {
        ASSERT_EQ(out[i], ClipAndRound(in[i])) << "length " << length << ", sample " << i;
      }
      EXPECT_EQ(out[length], 0x5A5A) << "written past the frame of " << length;
    }
  }
}

}  // namespace
}  // namespace cdsetup::audio
