// A guard around a codec's decoding: libvorbis 1.3.7 divides by a value a
// damaged stream sets to zero (SIGFPE), which would end the whole installer
// mid-copy. Inside the guard such a fault ends only the decoding.
#pragma once

#include <functional>

namespace cdsetup::audio {

/// Runs `decode` on this thread. Returns false when an arithmetic fault
/// (a division by zero) ended it early; a division writes nothing, so what
/// it had allocated can be freed as usual. Faults outside a guard, and on
/// systems without the guard (Windows), end the process as before.
bool RunDecoderGuarded(const std::function<void()>& decode);

}  // namespace cdsetup::audio
