// The converters against what they are made of and what a user would pick
// instead, on the same files in the same run:
// - against the bare loop of the same library, both called in this process,
//   their CPU time paired round by round. The stored figure has both write
//   their samples to the same tmpfs file (the bare loop with plain buffered
//   writes): storing 10 MB a minute costs the kernel a few percent of the
//   decode, and a baseline that skipped it would charge that to our code.
//   Beside it, ours into /dev/null against the bare decode that keeps
//   nothing: the code around the library alone;
// - as whole processes (our wavconvert command) against the codecs' own
//   tools, oggdec and speexdec, writing the same WAV to the same tmpfs;
// - in instructions, counted by valgrind, which noise cannot move.
// The process keeps to one core; each round runs both sides twice, A B B A,
// and the medians of the rounds' ratios are printed with their spread.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
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
constexpr int kCountedSeconds = 5;  // valgrind runs some fifty times slower
constexpr int kRounds = 25;         // after one round that warms the caches up

struct Case {
  std::string name;
  bool speex;
  std::string input;    // kSeconds long
  std::string counted;  // kCountedSeconds long, for the instruction counts
  std::vector<double> vs_bare, vs_bare_null, vs_tool;
};

std::string Encode(const Case& c, int mode_or_channels, double seconds) {
  if (c.speex) {
    kit::SpeexOptions options;
    options.mode = mode_or_channels;
    return kit::EncodeSpeex(options, Signal(8000 << mode_or_channels, 1, seconds));
  }
  kit::VorbisOptions options;
  options.channels = mode_or_channels;
  return kit::EncodeVorbis(options, Signal(44100, mode_or_channels, seconds));
}

std::vector<std::string> Ours(const Case& c, const std::string& in, const std::string& out) {
  return {WAVCONVERT_PATH, "--quiet", c.speex ? "speex" : "vorbis", in, out};
}
std::vector<std::string> Tool(const Case& c, const std::string& in, const std::string& out) {
  if (c.speex) return {"speexdec", "--quiet", in, out};
  return {"oggdec", "--quiet", "-o", out, in};
}
const char* ToolName(const Case& c) {
  return c.speex ? "speexdec" : "oggdec";
}

// The instructions `argv` executes, as valgrind counts them; 0 without valgrind.
double Instructions(std::vector<std::string> argv, const std::string& dir) {
  const std::string log = dir + "/valgrind.log";
  argv.insert(argv.begin(), {"valgrind", "--tool=cachegrind", "--cache-sim=no",
                             "--cachegrind-out-file=/dev/null", "--log-file=" + log});
  if (RunProcess(argv).status != 0) return 0;
  std::FILE* f = std::fopen(log.c_str(), "r");
  if (f == nullptr) return 0;
  char line[512];
  double count = 0;
  while (std::fgets(line, sizeof line, f)) {
    const char* refs = std::strstr(line, "I   refs:");
    if (refs == nullptr) refs = std::strstr(line, "I refs:");
    if (refs == nullptr) continue;
    std::string digits;
    for (const char* p = std::strchr(refs, ':') + 1; *p; ++p) {
      if (*p >= '0' && *p <= '9') digits += *p;
    }
    count = std::atof(digits.c_str());
  }
  std::fclose(f);
  return count;
}

}  // namespace

int main() {
  const bool pinned = PinToOneCore();
  const std::string dir = ScratchDir("convert-bench");
  std::vector<Case> cases;
  for (const auto& [name, speex] : {std::pair{"vorbis-mono-44k", false},
                                    {"vorbis-stereo-44k", false},
                                    {"speex-nb", true},
                                    {"speex-wb", true},
                                    {"speex-uwb", true}}) {
    cases.emplace_back();
    cases.back().name = name;
    cases.back().speex = speex;
  }
  const int setting[] = {1, 2, 0, 1, 2};  // channels for Vorbis, the band for Speex
  std::printf("encoding %d-second fixtures in %s ...\n", kSeconds, dir.c_str());
  std::fflush(stdout);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    Case& c = cases[i];
    const std::string ext = c.speex ? ".spx" : ".ogg";
    c.input = dir + "/" + c.name + ext;
    c.counted = dir + "/" + c.name + "-short" + ext;
    if (!WriteFile(c.input, Encode(c, setting[i], kSeconds)) ||
        !WriteFile(c.counted, Encode(c, setting[i], kCountedSeconds))) {
      return 1;
    }
  }

  std::FILE* null = std::fopen("/dev/null", "w");
  CAudioConverter converter(AudioDiagnostics{null, null});
  const std::string output = dir + "/out.wav";
  // CPU time of one call; each call that writes makes a new file, as in an
  // installation.
  auto timed = [&](const std::string& out, const std::function<void()>& run) {
    if (out != "/dev/null") std::remove(out.c_str());
    return Milliseconds(run);
  };
  // ours / theirs, each run twice in the order A B B A (which side is A
  // turns round by round), and the faster of its two runs kept: a pause of
  // the virtual core only ever adds time, and drift cancels within the round.
  auto paired = [](bool ours_first, const std::function<double()>& ours,
                   const std::function<double()>& theirs) {
    double o = std::numeric_limits<double>::infinity(), t = o;
    InAbbaOrder(
        ours_first, [&] { o = std::min(o, ours()); }, [&] { t = std::min(t, theirs()); });
    return o / t;
  };
  for (int round = -1; round < kRounds; ++round) {
    const bool ours_first = round % 2 != 0;
    for (Case& c : cases) {
      auto ours = [&](const std::string& out) {
        return timed(out, [&] {
          (void)(c.speex ? converter.SpeexToWav(c.input.c_str(), out.c_str())
                         : converter.VorbisToWav(c.input.c_str(), out.c_str()));
        });
      };
      auto bare = [&](const char* out) {
        return timed(out ? out : "/dev/null",
                     [&] { c.speex ? BareSpeex(c.input, out) : BareVorbis(c.input, out); });
      };
      const double stored = paired(
          ours_first, [&] { return ours(output); }, [&] { return bare(output.c_str()); });
      const double own = paired(
          !ours_first, [&] { return ours("/dev/null"); }, [&] { return bare(nullptr); });
      if (round < 0) continue;
      c.vs_bare.push_back(stored);
      c.vs_bare_null.push_back(own);
    }
  }
  // The processes apart: started between the calls above, they leave the
  // core's caches to the next call cold.
  for (int round = 0; round < kRounds; ++round) {
    for (Case& c : cases) {
      auto run = [&](const std::vector<std::string>& argv) {
        std::remove(output.c_str());
        return RunProcess(argv);
      };
      ProcessRun ours_run, tool_run;
      if (round % 2 != 0) {
        ours_run = run(Ours(c, c.input, output));
        tool_run = run(Tool(c, c.input, output));
      } else {
        tool_run = run(Tool(c, c.input, output));
        ours_run = run(Ours(c, c.input, output));
      }
      if (ours_run.status != 0 || tool_run.status != 0) {
        std::fprintf(stderr, "convert_bench: a conversion of %s failed (is %s installed?)\n",
                     c.name.c_str(), ToolName(c));
        return 1;
      }
      c.vs_tool.push_back(ours_run.cpu_ms / tool_run.cpu_ms);
    }
  }
  std::fclose(null);

  std::printf("%s; medians of %d paired rounds, [lowest, highest]\n",
              pinned ? "on one core" : "not pinned", kRounds);
  std::printf("%-18s %24s %24s %26s\n", "case", "ours / bare, to tmpfs", "to null / no store",
              "ours / codec tool (cpu)");
  for (const Case& c : cases) {
    const Spread b = SpreadOf(c.vs_bare), o = SpreadOf(c.vs_bare_null), t = SpreadOf(c.vs_tool);
    std::printf("%-18s %6.3f [%.3f, %.3f] %6.3f [%.3f, %.3f] %6.3f [%.3f, %.3f] %s\n",
                c.name.c_str(), b.median, b.low, b.high, o.median, o.low, o.high, t.median, t.low,
                t.high, ToolName(c));
  }
  std::printf("instructions (valgrind, %d-second files, each writing to tmpfs):\n",
              kCountedSeconds);
  std::vector<std::pair<std::string, double>> ratios;
  for (const Case& c : cases) {
    const double ours = Instructions(Ours(c, c.counted, output), dir);
    std::remove(output.c_str());
    const double bare =
        Instructions({BARE_DECODE_PATH, c.speex ? "speex" : "vorbis", c.counted, output}, dir);
    const double tool = Instructions(Tool(c, c.counted, output), dir);
    if (ours == 0 || bare == 0 || tool == 0) {
      std::printf("  %s: valgrind is not available\n", c.name.c_str());
      continue;
    }
    std::printf("  %-20s ours %.0f, bare %.0f, %s %.0f\n", c.name.c_str(), ours, bare, ToolName(c),
                tool);
    ratios.emplace_back(c.name + "-instructions", ours / bare);
    ratios.emplace_back(c.name + "-vs-" + ToolName(c) + "-instructions", ours / tool);
  }
  // "<case>": both write to tmpfs; "<case>-null": ours into /dev/null
  // against the bare decode that stores nothing.
  for (const Case& c : cases) {
    std::printf("ratio %s %.3f\n", c.name.c_str(), Median(c.vs_bare));
    std::printf("ratio %s-null %.3f\n", c.name.c_str(), Median(c.vs_bare_null));
    std::printf("ratio %s-vs-%s %.3f\n", c.name.c_str(), ToolName(c), Median(c.vs_tool));
  }
  for (const auto& [name, value] : ratios) std::printf("ratio %s %.3f\n", name.c_str(), value);

  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  return 0;
}
