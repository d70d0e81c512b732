// The 44-byte RIFF/WAVE header in front of 16-bit PCM samples, and the late
// fix-up of its two size fields once the sample count is known.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace cdsetup::audio {

inline constexpr int kWavHeaderSize = 44;
/// Both size fields hold this while the length is not yet known.
inline constexpr std::uint32_t kWavSizeUnknown = 0x7FFFFFFF;

/// Writes the header at the current position of `file`: PCM, 16 bits,
/// `channels` and `rate` as given (16-bit fields take the low 16 bits), and
/// kWavSizeUnknown in both size fields. Write errors are not reported.
void WriteWavHeader(std::FILE* file, std::int32_t rate, std::int32_t channels);

/// Patches the size fields of a header written by WriteWavHeader: offset 4
/// gets `sample_bytes` + 36, offset 40 gets `sample_bytes` (both modulo 2^32).
/// A failed seek is reported on `err` and ends the fix-up there, so a stream
/// that cannot seek keeps kWavSizeUnknown. The file is left at offset 44.
void FinishWavHeader(std::FILE* file, std::uint32_t sample_bytes, std::FILE* err);

/// Size of the stream buffer an output file is written through.
inline constexpr std::size_t kOutputBufferSize = 64 * 1024;

/// Opens `path` for binary writing (created or truncated), buffered through
/// `buffer` (kOutputBufferSize bytes, which must outlive the stream) so that
/// samples reach the file in few system calls. nullptr when it cannot be
/// opened.
std::FILE* OpenOutputFile(const char* path, char* buffer);

/// True when `path` ends in ".wav" or ".WAV" exactly (no other case mix).
bool HasWavSuffix(const char* path);

}  // namespace cdsetup::audio
