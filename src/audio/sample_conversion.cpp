#include "audio/sample_conversion.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace cdsetup::audio {

#if defined(__SSE2__)
namespace {

// ClipAndRound on four samples, the same steps in the same float arithmetic:
// minps/maxps are the two comparisons (a NaN is then zeroed by its mask), and
// the compare masks, -1 where true, move the truncated value by one.
__m128i ClipAndRound4(__m128 v) {
  __m128 c = _mm_min_ps(v, _mm_set1_ps(kSampleLimit));
  c = _mm_max_ps(c, _mm_set1_ps(-kSampleLimit));
  c = _mm_and_ps(c, _mm_cmpeq_ps(v, v));
  const __m128i t = _mm_cvttps_epi32(c);
  const __m128 frac = _mm_sub_ps(c, _mm_cvtepi32_ps(t));
  const __m128i up = _mm_castps_si128(_mm_cmpge_ps(frac, _mm_set1_ps(0.5f)));
  const __m128i down = _mm_castps_si128(_mm_cmplt_ps(frac, _mm_set1_ps(-0.5f)));
  return _mm_add_epi32(_mm_sub_epi32(t, up), down);
}

}  // namespace
#endif

void ClipAndRoundFrame(const float* __restrict in, std::int16_t* __restrict out,
                       std::size_t count) {
  std::size_t i = 0;
#if defined(__SSE2__)
  // The compiler's own vectorisation of the scalar form keeps both of its
  // comparisons as masks and blends; this takes about a third of the work.
  for (; i + 8 <= count; i += 8) {
    const __m128i low = ClipAndRound4(_mm_loadu_ps(in + i));
    const __m128i high = ClipAndRound4(_mm_loadu_ps(in + i + 4));
    // Every value is within +-32000, so the saturating pack only narrows.
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packs_epi32(low, high));
  }
#endif
  for (; i < count; ++i) out[i] = ClipAndRound(in[i]);
}

}  // namespace cdsetup::audio
