// How large the WAV file of an archive entry will be, known without decoding
// it: from the channels its first Ogg page declares and the sample position
// its last page reaches. What the free-space question before the copy adds
// up; the conversion itself may differ by a packet's samples.
#pragma once

#include <cstdint>
#include <string_view>

namespace cdsetup::copy {

/// The WAV bytes an entry of `kind` (Ogg Vorbis or Ogg Speex) becomes, from
/// the first bytes of its data (`head`, holding its first page) and the
/// last (`tail`; empty when `head` holds the whole entry). 0 when they tell
/// nothing usable: a damaged entry, which the copy reports itself.
std::uint64_t EstimateWavBytes(std::uint32_t kind, std::string_view head, std::string_view tail);

}  // namespace cdsetup::copy
