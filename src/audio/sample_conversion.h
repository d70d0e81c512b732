// Turns decoded float samples into the 16-bit words written to a WAV file:
// clipped at +-32000 (not 32767) and rounded half up, as floor(x + 0.5).
#pragma once

#include <cstddef>
#include <cstdint>

namespace cdsetup::audio {

inline constexpr float kSampleLimit = 32000.0f;

/// One sample: clipped to [-32000, 32000], then floor(sample + 0.5) computed
/// exactly (12.5 gives 13, -12.5 gives -12). NaN, which a damaged stream can
/// produce, is written as 0.
inline std::int16_t ClipAndRound(float v) {
  float c = v > kSampleLimit ? kSampleLimit : v;
  c = c < -kSampleLimit ? -kSampleLimit : c;
  c = v == v ? c : 0.0f;
  // Truncate, then step by the exact fractional part: unlike adding 0.5 in
  // float, this cannot round 0.49999997 up, and it vectorises without SSE4.
  const int t = static_cast<int>(c);
  const float frac = c - static_cast<float>(t);
  return static_cast<std::int16_t>(t + (frac >= 0.5f) - (frac < -0.5f));
}

/// ClipAndRound over `count` samples; `in` and `out` must not overlap.
void ClipAndRoundFrame(const float* in, std::int16_t* out, std::size_t count);

}  // namespace cdsetup::audio
