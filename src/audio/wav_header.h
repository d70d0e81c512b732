// The 44-byte RIFF/WAVE header in front of 16-bit PCM samples, and the late
// fix-up of its two size fields once the sample count is known.
#pragma once

#include <cstdint>
#include <cstdio>

namespace cdsetup::audio {

inline constexpr int kWavHeaderSize = 44;
/// Both size fields hold this while the length is not yet known.
inline constexpr std::uint32_t kWavSizeUnknown = 0x7FFFFFFF;

/// Writes the header at the current position of `file`: PCM, 16 bits,
/// `channels` and `rate` as given (16-bit fields take the low 16 bits), and
/// kWavSizeUnknown in both size fields. False when the 44 bytes did not all
/// go out.
bool WriteWavHeader(std::FILE* file, std::int32_t rate, std::int32_t channels);

/// Patches the size fields of a header written by WriteWavHeader: offset 4
/// gets `sample_bytes` + 36, offset 40 gets `sample_bytes` (both modulo 2^32).
/// A failed seek is reported on `err` and ends the fix-up there, so a stream
/// that cannot seek keeps kWavSizeUnknown; that is no failure. The file is
/// left at offset 44. False when a patch was not written.
bool FinishWavHeader(std::FILE* file, std::uint32_t sample_bytes, std::FILE* err);

/// True when `path` ends in ".wav" or ".WAV" exactly (no other case mix).
bool HasWavSuffix(const char* path);

}  // namespace cdsetup::audio
