#include "audio/sample_conversion.h"

namespace cdsetup::audio {

void ClipAndRoundFrame(const float* __restrict in, std::int16_t* __restrict out,
                       std::size_t count) {
  // One branch-free pass over the frame, so the compiler vectorises it.
  for (std::size_t i = 0; i < count; ++i) out[i] = ClipAndRound(in[i]);
}

}  // namespace cdsetup::audio
