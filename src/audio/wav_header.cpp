#include "audio/wav_header.h"

#include <cstring>

#include "base/byte_order.h"

namespace cdsetup::audio {

namespace {

bool WriteLe32(std::FILE* file, std::uint32_t v) {
  unsigned char bytes[4];
  base::StoreLe32(bytes, v);
  return std::fwrite(bytes, 1, sizeof bytes, file) == sizeof bytes;
}

}  // namespace

bool WriteWavHeader(std::FILE* file, std::int32_t rate, std::int32_t channels) {
  // Unsigned arithmetic: the byte rate of a hostile header wraps instead of
  // overflowing, and keeps the 32 bits a signed product would have had.
  const auto urate = static_cast<std::uint32_t>(rate);
  const auto uchannels = static_cast<std::uint32_t>(channels);
  unsigned char h[kWavHeaderSize];
  std::memcpy(h, "RIFF", 4);
  base::StoreLe32(h + 4, kWavSizeUnknown);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  base::StoreLe32(h + 16, 16);
  base::StoreLe16(h + 20, 1);
  base::StoreLe16(h + 22, uchannels);
  base::StoreLe32(h + 24, urate);
  base::StoreLe32(h + 28, urate * uchannels * 2u);
  base::StoreLe16(h + 32, uchannels * 2u);
  base::StoreLe16(h + 34, 16);
  std::memcpy(h + 36, "data", 4);
  base::StoreLe32(h + 40, kWavSizeUnknown);
  return std::fwrite(h, 1, sizeof h, file) == sizeof h;
}

bool FinishWavHeader(std::FILE* file, std::uint32_t sample_bytes, std::FILE* err) {
  // The seek would flush the samples still buffered; a flush that fails is a
  // write that failed, not a stream that cannot seek.
  if (std::fflush(file) != 0) return false;
  if (std::fseek(file, 4, SEEK_SET) != 0) {
    std::fputs("Cannot seek on wave file, size will be incorrect\n", err);
    return true;
  }
  if (!WriteLe32(file, sample_bytes + 36u)) return false;
  // Relative to the position after the first field: 8 + 32 is the data size.
  if (std::fseek(file, 32, SEEK_CUR) != 0) {
    std::fputs("First seek worked, second didn't\n", err);
    return true;
  }
  return WriteLe32(file, sample_bytes);
}

bool HasWavSuffix(const char* path) {
  const std::size_t n = std::strlen(path);
  if (n < 4) return false;
  const char* tail = path + n - 4;
  return std::strcmp(tail, ".wav") == 0 || std::strcmp(tail, ".WAV") == 0;
}

}  // namespace cdsetup::audio
