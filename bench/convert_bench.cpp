// Converts the same 60-second files with the converters and with a bare
// decode loop of the same library, run after run, and prints the ratio of the
// best times: what header, clipping, rounding and writing cost on top of the
// codec itself.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/audio_converter.h"
#include "bench_support.h"
#include "encoderkit/speex_encoder.h"
#include "encoderkit/vorbis_encoder.h"

namespace {

using cdsetup::audio::AudioDiagnostics;
using cdsetup::audio::CAudioConverter;
namespace kit = cdsetup::encoderkit;
using namespace cdsetup::bench;

constexpr int kSeconds = 60;
constexpr int kRuns = 15;

struct Case {
  std::string name;
  std::string input;
  bool speex;
  double bare_ms = 1e300;
  double ours_ms = 1e300;
};

}  // namespace

int main() {
  const std::string dir = ScratchDir("convert-bench");
  std::vector<Case> cases;
  auto add_vorbis = [&](const char* name, int channels) {
    kit::VorbisOptions options;
    options.channels = channels;
    const std::string path = dir + "/" + name + ".ogg";
    if (!WriteFile(path, kit::EncodeVorbis(options, Signal(44100, channels, kSeconds))))
      std::abort();
    cases.push_back({name, path, false});
    std::printf("%s: %ld bytes\n", name, static_cast<long>(std::filesystem::file_size(path)));
  };
  auto add_speex = [&](const char* name, int mode) {
    kit::SpeexOptions options;
    options.mode = mode;
    const std::string path = dir + "/" + name + ".spx";
    if (!WriteFile(path, kit::EncodeSpeex(options, Signal(8000 << mode, 1, kSeconds))))
      std::abort();
    cases.push_back({name, path, true});
    std::printf("%s: %ld bytes\n", name, static_cast<long>(std::filesystem::file_size(path)));
  };
  std::printf("encoding %d-second fixtures in %s ...\n", kSeconds, dir.c_str());
  std::fflush(stdout);
  add_vorbis("vorbis-mono-44k", 1);
  add_vorbis("vorbis-stereo-44k", 2);
  add_speex("speex-nb", 0);
  add_speex("speex-wb", 1);
  add_speex("speex-uwb", 2);

  std::FILE* null = std::fopen("/dev/null", "w");
  CAudioConverter converter(AudioDiagnostics{null, null});
  const std::string output = dir + "/out.wav";
  for (int run = 0; run < kRuns; ++run) {
    for (Case& c : cases) {
      const char* in = c.input.c_str();
      c.bare_ms = std::min(c.bare_ms, Milliseconds([&] {
                             if (c.speex)
                               BareSpeex(c.input);
                             else
                               BareVorbis(c.input);
                           }));
      // Each conversion writes a new file, as in an installation, rather
      // than truncating the last run's.
      std::remove(output.c_str());
      c.ours_ms = std::min(c.ours_ms, Milliseconds([&] {
                             if (c.speex)
                               (void)converter.SpeexToWav(in, output.c_str());
                             else
                               (void)converter.VorbisToWav(in, output.c_str());
                           }));
    }
  }
  std::fclose(null);

  std::printf("%-20s %12s %12s %8s   (best of %d interleaved runs)\n", "case", "bare cpu ms",
              "ours cpu ms", "ratio", kRuns);
  for (const Case& c : cases) {
    std::printf("%-20s %12.1f %12.1f %8.3f\n", c.name.c_str(), c.bare_ms, c.ours_ms,
                c.ours_ms / c.bare_ms);
  }
  for (const Case& c : cases) std::printf("ratio %s %.3f\n", c.name.c_str(), c.ours_ms / c.bare_ms);

  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  return 0;
}
