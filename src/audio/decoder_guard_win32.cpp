#include "audio/decoder_guard.h"

namespace cdsetup::audio {

// Windows raises the division as a structured exception, which this
// compiler cannot catch around a C library's frames: no guard there yet.
bool RunDecoderGuarded(const std::function<void()>& decode) {
  decode();
  return true;
}

}  // namespace cdsetup::audio
