#include "check/sound_probe.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "audio/audio_converter.h"
#include "audio/wav_header.h"
#include "copy/sound_archive_reader.h"

namespace cdsetup::check {

namespace {

constexpr const char* kInput = "entry";
constexpr const char* kOutput = "entry.wav";  // Speex writes a header for this ending only
constexpr const char* kDiagnostics = "diagnostics.txt";

// The Speex converter's messages for damage it decodes past.
constexpr const char* kSpeexDamage[] = {"Decoding error: corrupted stream?",
                                        "Decoding overflow: corrupted stream?",
                                        "Invalid/corrupted comments"};

std::string ReadAll(std::FILE* f) {
  std::string out;
  std::rewind(f);
  char piece[4096];
  for (std::size_t n; (n = std::fread(piece, 1, sizeof piece, f)) > 0;) out.append(piece, n);
  return out;
}

std::string LastLine(const std::string& text) {
  std::size_t end = text.find_last_not_of("\r\n");
  if (end == std::string::npos) return "the converter gave no reason";
  std::size_t start = text.rfind('\n', end);
  return text.substr(start == std::string::npos ? 0 : start + 1, end + 1 - (start + 1));
}

// The Vorbis converter prints the stream's channels and the length the
// stream declares; a WAV holding another count lost damaged pages.
std::string VorbisDamage(const std::string& diagnostics, std::uint64_t wav_bytes) {
  const std::size_t at = diagnostics.find("\nBitstream is ");
  const std::size_t length = diagnostics.find("\nDecoded length: ", at);
  int channels = 0;
  long declared = 0;
  if (at == std::string::npos || length == std::string::npos ||
      std::sscanf(diagnostics.c_str() + at, "\nBitstream is %d channel", &channels) != 1 ||
      std::sscanf(diagnostics.c_str() + length, "\nDecoded length: %ld", &declared) != 1 ||
      channels <= 0 || declared < 0) {
    return {};
  }
  const std::uint64_t data =
      wav_bytes > audio::kWavHeaderSize ? wav_bytes - audio::kWavHeaderSize : 0;
  const std::uint64_t decoded = data / (2 * static_cast<std::uint64_t>(channels));
  if (decoded == static_cast<std::uint64_t>(declared)) return {};
  return "decoded " + std::to_string(decoded) + " samples of the " + std::to_string(declared) +
         " its stream declares: damaged pages were skipped";
}

}  // namespace

base::Result<platform::FilePtr> SoundProbe::OpenInput() const {
  const std::string path = scratch_.File(kInput);
  platform::FilePtr f(std::fopen(path.c_str(), "wb"));
  if (!f) return base::Status::FromErrno(errno, "create " + path);
  return f;
}

SoundCheck SoundProbe::Convert(std::uint32_t kind) const {
  const std::string input = scratch_.File(kInput);
  const std::string output = scratch_.File(kOutput);
  SoundCheck out;
  platform::FilePtr diagnostics(std::fopen(scratch_.File(kDiagnostics).c_str(), "w+b"));
  if (!diagnostics) {
    out.problem = "could not be checked: no room for the converter's messages";
    return out;
  }
  audio::CAudioConverter converter(audio::AudioDiagnostics{diagnostics.get(), diagnostics.get()});
  const audio::ConversionResult result = kind == copy::kKindVorbis
                                             ? converter.VorbisToWav(input.c_str(), output.c_str())
                                             : converter.SpeexToWav(input.c_str(), output.c_str());
  std::fflush(diagnostics.get());
  const std::string said = ReadAll(diagnostics.get());
  std::error_code ec;
  out.wav_bytes = std::filesystem::exists(output, ec) ? std::filesystem::file_size(output, ec) : 0;
  if (ec) out.wav_bytes = 0;
  std::filesystem::remove(input, ec);
  std::filesystem::remove(output, ec);

  if (result == audio::ConversionResult::kNotSound) {
    out.problem = LastLine(said);
  } else if (result == audio::ConversionResult::kWriteFailed) {
    out.problem = "could not be checked: the scratch WAV could not be written";
  } else if (kind == copy::kKindVorbis) {
    out.problem = VorbisDamage(said, out.wav_bytes);
  } else {
    for (const char* damage : kSpeexDamage) {
      if (said.find(damage) != std::string::npos) out.problem = damage;
      if (!out.problem.empty()) break;
    }
  }
  out.clean = out.problem.empty();
  return out;
}

}  // namespace cdsetup::check
