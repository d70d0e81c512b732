// wavconvert: one Ogg Vorbis or Ogg Speex file into a WAV file with the
// installer's own converters, as a command, so that they can be compared
// with the codecs' tools (oggdec, speexdec) as whole processes. Its three
// arguments are read by hand: a parser would cost more than a short file's
// decode in a comparison of whole processes.
#include <cstdio>
#include <cstring>

#include "audio/audio_converter.h"

namespace {

constexpr const char* kUsage =
    "usage: wavconvert [-Q|--quiet] vorbis|speex INPUT OUTPUT\n"
    "Converts one Ogg Vorbis or Ogg Speex file into a 16-bit PCM WAV file, as the installer\n"
    "does with the entries of its sound archives. -Q: no diagnostic lines.\n"
    "Exit status: 0 converted, 1 the input is no stream of the kind, 2 the output could not\n"
    "be written whole (it is removed), 3 bad command line.\n";

}  // namespace

int main(int argc, char** argv) {
  int first = 1;
  bool quiet = false;
  if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc > 1 && (std::strcmp(argv[1], "-Q") == 0 || std::strcmp(argv[1], "--quiet") == 0)) {
    quiet = true;
    first = 2;
  }
  if (argc - first != 3 ||
      (std::strcmp(argv[first], "vorbis") != 0 && std::strcmp(argv[first], "speex") != 0)) {
    std::fputs(kUsage, stderr);
    return 3;
  }
  const bool speex = std::strcmp(argv[first], "speex") == 0;
  const char* input = argv[first + 1];
  const char* output = argv[first + 2];
  std::FILE* null = quiet ? std::fopen("/dev/null", "w") : nullptr;
  cdsetup::audio::AudioDiagnostics diagnostics;
  if (null != nullptr) diagnostics = {null, null};
  cdsetup::audio::CAudioConverter converter(diagnostics);
  const auto result =
      speex ? converter.SpeexToWav(input, output) : converter.VorbisToWav(input, output);
  if (null != nullptr) std::fclose(null);
  switch (result) {
    case cdsetup::audio::ConversionResult::kConverted:
      return 0;
    case cdsetup::audio::ConversionResult::kWriteFailed:
      return 2;
    default:
      return 1;
  }
}
