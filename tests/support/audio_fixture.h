// Helpers for the audio tests: captured diagnostic streams, WAV fields and
// samples read back from bytes, and a Goertzel filter to find a tone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace cdsetup::testing {

/// A temporary stream that a converter writes its diagnostics to.
class CapturedStream {
 public:
  CapturedStream();
  ~CapturedStream();
  CapturedStream(const CapturedStream&) = delete;
  CapturedStream& operator=(const CapturedStream&) = delete;

  std::FILE* get() const { return file_; }
  /// Everything written so far.
  std::string Text() const;

 private:
  std::FILE* file_;
};

std::uint32_t Le32At(const std::string& bytes, std::size_t offset);
std::uint16_t Le16At(const std::string& bytes, std::size_t offset);

/// The 16-bit little-endian samples of `bytes` from `offset` on.
std::vector<std::int16_t> Samples16(const std::string& bytes, std::size_t offset);

/// One channel of interleaved samples, from frame `first` for `count`
/// frames (to the end when count is 0).
std::vector<double> Channel(const std::vector<std::int16_t>& samples, int channels, int channel,
                            std::size_t first = 0, std::size_t count = 0);

/// Amplitude of the `frequency` component of `signal` (a sine of peak A
/// gives about A), by a Goertzel filter.
double ToneAmplitude(const std::vector<double>& signal, double frequency, double rate);

/// Every frame decoded by vorbisfile from `ogg`, as 16-bit interleaved
/// samples: what a bare decode loop produces.
std::string BareVorbisDecode(const std::string& ogg);

}  // namespace cdsetup::testing
