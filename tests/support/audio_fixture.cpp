#include "support/audio_fixture.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace cdsetup::testing {

CapturedStream::CapturedStream() : file_(std::tmpfile()) {
  if (file_ == nullptr) std::abort();
}

CapturedStream::~CapturedStream() {
  std::fclose(file_);
}

std::string CapturedStream::Text() const {
  std::fflush(file_);
  const long end = std::ftell(file_);
  std::string text(static_cast<std::size_t>(end), '\0');
  std::rewind(file_);
  const std::size_t got = std::fread(text.data(), 1, text.size(), file_);
  text.resize(got);
  std::fseek(file_, 0, SEEK_END);
  return text;
}

std::uint16_t Le16At(const std::string& bytes, std::size_t offset) {
  if (offset + 2 > bytes.size()) return 0;
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[offset]) |
                                    static_cast<unsigned char>(bytes[offset + 1]) << 8);
}

std::uint32_t Le32At(const std::string& bytes, std::size_t offset) {
  if (offset + 4 > bytes.size()) return 0;
  return static_cast<std::uint32_t>(Le16At(bytes, offset)) |
         static_cast<std::uint32_t>(Le16At(bytes, offset + 2)) << 16;
}

std::vector<std::int16_t> Samples16(const std::string& bytes, std::size_t offset) {
  std::vector<std::int16_t> out;
  for (std::size_t at = offset; at + 2 <= bytes.size(); at += 2) {
    out.push_back(static_cast<std::int16_t>(Le16At(bytes, at)));
  }
  return out;
}

std::vector<double> Channel(const std::vector<std::int16_t>& samples, int channels, int channel,
                            std::size_t first, std::size_t count) {
  const std::size_t frames = samples.size() / static_cast<std::size_t>(channels);
  const std::size_t end = count == 0 ? frames : std::min(frames, first + count);
  std::vector<double> out;
  for (std::size_t i = first; i < end; ++i) {
    out.push_back(
        samples[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(channel)]);
  }
  return out;
}

double ToneAmplitude(const std::vector<double>& signal, double frequency, double rate) {
  if (signal.empty()) return 0.0;
  const double w = 2.0 * std::numbers::pi * frequency / rate;
  const double coeff = 2.0 * std::cos(w);
  double s1 = 0.0, s2 = 0.0;
  for (double x : signal) {
    const double s0 = x + coeff * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  const double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;
  return 2.0 * std::sqrt(std::max(power, 0.0)) / static_cast<double>(signal.size());
}

namespace {

struct MemoryOgg {
  const std::string* bytes;
  std::size_t at = 0;
};

std::size_t ReadMemory(void* ptr, std::size_t size, std::size_t count, void* source) {
  auto* m = static_cast<MemoryOgg*>(source);
  const std::size_t n = std::min(size * count, m->bytes->size() - m->at);
  std::copy_n(m->bytes->data() + m->at, n, static_cast<char*>(ptr));
  m->at += n;
  return size == 0 ? 0 : n / size;
}

}  // namespace

std::string BareVorbisDecode(const std::string& ogg) {
  MemoryOgg source{&ogg};
  OggVorbis_File vf;
  const ov_callbacks callbacks = {ReadMemory, nullptr, nullptr, nullptr};
  if (ov_open_callbacks(&source, &vf, nullptr, 0, callbacks) < 0) return "";
  std::string out;
  char buffer[4096];
  int section = 0;
  for (;;) {
    const long n = ov_read(&vf, buffer, sizeof buffer, 0, 2, 1, &section);
    if (n == 0) break;
    if (n > 0) out.append(buffer, static_cast<std::size_t>(n));
  }
  ov_clear(&vf);
  return out;
}

}  // namespace cdsetup::testing
