// A silent installation of a game-sized medium against, in the same run, what
// the work needs: `cp -r` of its plain files and the bare library decode of
// its sound entries one after another. Also the longest pause of the event
// loop while the copy page runs in a window (offscreen), and the peak memory
// of an installation with short and with long entries, and the same install
// from an ISO image of the medium against the one from its folder.

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "cd_image/cd_image.h"
#include "copy/copy_progress_dlg.h"
#include "demo_medium/demo_medium.h"
#include "encoderkit/speex_encoder.h"
#include "encoderkit/vorbis_encoder.h"
#include "framework/app.h"
#include "framework/window_manager.h"
#include "platform/create_directory_path.h"
#include "platform/prefix/prefix_platform.h"
#include "script/localized_texts.h"
#include "sndpack/sound_archive_writer.h"
#include "ui/qt/qt_backend.h"

namespace fs = std::filesystem;
using namespace cdsetup;
using namespace cdsetup::bench;

namespace {

constexpr int kRounds = 9;

struct Load {
  int small_files = 1200;  // of 4 KiB
  int large_files = 120;   // of 1 MiB
  int vorbis_entries = 40;
  double vorbis_seconds = 15;
  int speex_entries = 60;
  double speex_seconds = 10;
};

// Signal() for `seconds`, its first 15 seconds repeated: a long entry costs
// the codecs as much per second and takes no minutes to make.
std::vector<float> Tiled(int rate, int channels, double seconds) {
  const double piece = std::min(seconds, 15.0);
  const std::vector<float> one = Signal(rate, channels, piece);
  const auto total = static_cast<std::size_t>(rate * seconds) * static_cast<std::size_t>(channels);
  std::vector<float> out;
  out.reserve(total);
  while (out.size() < total) {
    out.insert(out.end(), one.begin(),
               one.begin() + static_cast<std::ptrdiff_t>(std::min(one.size(), total - out.size())));
  }
  return out;
}

// The medium: the demo's own, with the load's files in its "max" list. Each
// kind of entry is encoded once and stored under many names; `vorbis` and
// `speex` receive one of each, for the bare decode.
void BuildMedium(const std::string& dir, const Load& load, const std::string& vorbis,
                 const std::string& speex) {
  std::vector<demo::MediumFile> files;
  for (int i = 0; i < load.small_files; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "Gra/Male/m%04d.dat", i);
    files.emplace_back(name, std::string(4096, static_cast<char>('a' + i % 26)));
  }
  for (int i = 0; i < load.large_files; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "Gra/Duze/d%03d.dat", i);
    files.emplace_back(name, std::string(1 << 20, static_cast<char>('A' + i % 26)));
  }
  encoderkit::VorbisOptions stereo;
  stereo.channels = 2;
  const std::string ogg = encoderkit::EncodeVorbis(stereo, Tiled(44100, 2, load.vorbis_seconds));
  encoderkit::SpeexOptions wide;
  wide.mode = 1;
  const std::string spx = encoderkit::EncodeSpeex(wide, Tiled(16000, 1, load.speex_seconds));
  std::string music, speech;
  for (int i = 0; i < load.vorbis_entries; ++i) {
    music += sndpack::EntryBytes(0, "Utwor" + std::to_string(i) + ".ogg", ogg);
  }
  for (int i = 0; i < load.speex_entries; ++i) {
    speech += sndpack::EntryBytes(1, "Glos" + std::to_string(i) + ".spx", spx);
  }
  files.emplace_back("Gra/Muzyka.snd", music);
  files.emplace_back("Gra/Mowa.snd", speech);
  if (base::Status s = demo::BuildDemoMedium(dir, demo::DemoOptions{0, 0.5}, files); !s.ok()) {
    std::fprintf(stderr, "install_bench: %s\n", s.ToString().c_str());
    std::exit(1);
  }
  if (!WriteFile(vorbis, ogg) || !WriteFile(speex, spx)) std::exit(1);
}

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

struct InstallRun {
  double seconds = 0;
  double cpu_seconds = 0;
  long peak_kib = 0;
};

// Runs `argv` to its end; a failure ends the benchmark.
ProcessRun Run(const std::vector<std::string>& argv) {
  const ProcessRun run = RunProcess(argv);
  if (run.status != 0) {
    std::fprintf(stderr, "install_bench: %s failed\n", argv[0].c_str());
    std::exit(1);
  }
  return run;
}

// The bare decode of the load's entries, one after another, in this thread:
// its wall time, and its CPU time.
struct Decode {
  double seconds = 0, cpu_seconds = 0;
};
Decode BareDecode(const Load& load, const std::string& vorbis, const std::string& speex,
                  const char* output) {
  const auto start = std::chrono::steady_clock::now();
  const double cpu_start = ThreadMilliseconds();
  for (int i = 0; i < load.vorbis_entries; ++i) {
    if (output) std::remove(output);
    BareVorbis(vorbis, output);
  }
  for (int i = 0; i < load.speex_entries; ++i) {
    if (output) std::remove(output);
    BareSpeex(speex, output);
  }
  return {Seconds(std::chrono::steady_clock::now() - start),
          (ThreadMilliseconds() - cpu_start) / 1e3};
}

// The installer's peak memory comes from GNU time, whose own small process
// starts it: the resident size of a child forked from this large one would
// count this one's pages.
InstallRun Install(const std::string& medium, const std::string& prefix,
                   const std::string& rss_file) {
  fs::remove_all(prefix);
  InstallRun run;
  // Without wine on the PATH: the menu entries at the end would time Wine's
  // start-up, not the installer.
  const ProcessRun process =
      Run({"/usr/bin/time", "-f", "%M", "-o", rss_file, "/usr/bin/env", "PATH=/nonexistent",
           CDSETUP_PATH, "--silent", "--accept-licence", "--lang", "English", "--type", "max",
           "--medium", medium, "--prefix", prefix});
  run.seconds = process.seconds;
  run.cpu_seconds = process.cpu_ms / 1e3;
  std::FILE* f = std::fopen(rss_file.c_str(), "r");
  if (f == nullptr || std::fscanf(f, "%ld", &run.peak_kib) != 1) std::exit(1);
  std::fclose(f);
  return run;
}

// The copy page in a window, offscreen: the longest time between two ticks of
// a 1 ms timer while it runs is the longest the window did not answer.
double LongestPause(const std::string& medium, const std::string& prefix) {
  fs::remove_all(prefix);
  platform::PrefixOptions options;
  options.prefix_dir = prefix;
  options.medium_dir = medium;
  options.program_name = "cdsetup";
  auto opened = platform::PrefixPlatform::Open(options);
  if (!opened.ok()) std::exit(1);
  platform::PrefixPlatform& p = *opened.value();
  if (!platform::CreateDirectoryPath(p, "C:\\Games\\Bench").ok()) std::exit(1);

  framework::WindowManager windows;
  framework::CWinApp app("setup", windows);
  ui::qt::QtBackend backend(ui::qt::QtOptions{});
  windows.SetBackend(&backend);
  std::FILE* null = std::fopen("/dev/null", "w");
  copy::AudioSoundConverter converter(audio::AudioDiagnostics{null, null});
  const std::string target = "C:\\Games\\Bench";
  copy::CCopyProgressDlg page(target, windows,
                              script::LocalizedTexts(p, "D:\\install.ini", "English"));
  page.SetInstallType("max");
  page.SetConverter(&converter);

  QElapsedTimer clock;
  qint64 last = -1, longest = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    const qint64 now = clock.elapsed();
    if (last >= 0) longest = std::max(longest, now - last);
    last = now;
  });
  clock.start();
  ticker.start(1);
  (void)page.DoModal();
  ticker.stop();
  windows.SetBackend(nullptr);
  std::fclose(null);
  return static_cast<double>(longest);
}

}  // namespace

int main(int argc, char** argv) {
  static char platform_option[] = "-platform", offscreen[] = "offscreen";
  std::vector<char*> qt_args = {argv[0], platform_option, offscreen};
  int qt_argc = static_cast<int>(qt_args.size());
  QApplication qt(qt_argc, qt_args.data());
  (void)argc;

  const std::string dir = ScratchDir("install-bench");
  const std::string medium = dir + "/medium", prefix = dir + "/prefix";
  const std::string vorbis = dir + "/one.ogg", speex = dir + "/one.spx";
  const Load load;
  std::printf("building the medium in %s ...\n", dir.c_str());
  std::fflush(stdout);
  BuildMedium(medium, load, vorbis, speex);
  const int cores = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));

  // Every round times each side twice, A B B A (B A A B in every other
  // round), keeps the faster run of each, and gives its own ratios: their
  // medians, with the spread, are the figures. The machine may be shared, so
  // wall time is noisy; the CPU time of the install against that of the work
  // is the steadier second figure.
  std::vector<double> install, copy, decode, stored, vs_work, vs_limit, vs_limit_stored,
      cpu_vs_work;
  const std::string pcm = dir + "/pcm";
  std::printf("timing %d interleaved rounds ...\n", kRounds);
  std::fflush(stdout);
  long peak_kib = 0;
  for (int round = 0; round < kRounds; ++round) {
    InstallRun installed;
    ProcessRun copied;
    Decode bare, bare_stored;
    installed.seconds = copied.seconds = bare.seconds = bare_stored.seconds = 1e9;
    auto run_install = [&] {
      const InstallRun run = Install(medium, prefix, dir + "/rss");
      peak_kib = std::max(peak_kib, run.peak_kib);
      if (run.seconds < installed.seconds) installed = run;
    };
    auto run_work = [&] {
      fs::remove_all(dir + "/cp");
      fs::create_directories(dir + "/cp");
      const ProcessRun run =
          Run({"cp", "-r", medium + "/Gra/Male", medium + "/Gra/Duze", dir + "/cp"});
      if (run.seconds < copied.seconds) copied = run;
      const Decode plain = BareDecode(load, vorbis, speex, nullptr);
      if (plain.seconds < bare.seconds) bare = plain;
      const Decode storing = BareDecode(load, vorbis, speex, pcm.c_str());
      if (storing.seconds < bare_stored.seconds) bare_stored = storing;
    };
    InAbbaOrder(round % 2 == 0, run_install, run_work);
    install.push_back(installed.seconds);
    copy.push_back(copied.seconds);
    decode.push_back(bare.seconds);
    stored.push_back(bare_stored.seconds);
    vs_work.push_back(installed.seconds / (copied.seconds + bare.seconds));
    vs_limit.push_back(installed.seconds / std::max(copied.seconds, bare.seconds / cores));
    vs_limit_stored.push_back(installed.seconds /
                              std::max(copied.seconds, bare_stored.seconds / cores));
    cpu_vs_work.push_back(installed.cpu_seconds / (copied.cpu_ms / 1e3 + bare.cpu_seconds));
  }
  std::printf("%-28s %8.3f s\n", "silent install (median)", Median(install));
  std::printf("%-28s %8.3f s\n", "cp -r of the plain files", Median(copy));
  std::printf("%-28s %8.3f s\n", "bare decode, one by one", Median(decode));
  std::printf("%-28s %8.3f s\n", "  the same, storing its PCM", Median(stored));
  std::printf("%-28s %8.3f s   (%d cores)\n", "limit max(cp, decode/cores)",
              std::max(Median(copy), Median(decode) / cores), cores);
  std::printf("medians of %d paired rounds [lowest, highest]:\n", kRounds);
  for (const auto& [name, values] :
       {std::pair<const char*, const std::vector<double>*>{"install-vs-work", &vs_work},
        {"install-vs-limit", &vs_limit},
        {"install-vs-limit-stored", &vs_limit_stored},
        {"install-cpu-vs-work-cpu", &cpu_vs_work}}) {
    const Spread v = SpreadOf(*values);
    std::printf("  %-26s %6.3f [%.3f, %.3f]\n", name, v.median, v.low, v.high);
  }

  // The medium as an ISO image, read without mounting it, against its folder.
  const std::string iso = dir + "/medium.iso";
  if (base::Status made = cdimage::MakeIsoImage(medium, iso, "BENCH"); !made.ok()) {
    std::fprintf(stderr, "install_bench: %s\n", made.ToString().c_str());
    return 1;
  }
  std::vector<double> image_vs_folder;
  for (int round = 0; round < kRounds; ++round) {
    double folder_s = 1e9, image_s = 1e9;
    auto from_folder = [&] {
      folder_s = std::min(folder_s, Install(medium, prefix, dir + "/rss").seconds);
    };
    auto from_image = [&] {
      image_s = std::min(image_s, Install(iso, prefix, dir + "/rss").seconds);
    };
    InAbbaOrder(round % 2 == 0, from_image, from_folder);
    image_vs_folder.push_back(image_s / folder_s);
  }
  const Spread image_spread = SpreadOf(image_vs_folder);
  std::printf("  %-26s %6.3f [%.3f, %.3f]\n", "install-image-vs-folder", image_spread.median,
              image_spread.low, image_spread.high);

  // Memory: two entries of each kind, ten seconds long, then ten minutes.
  Load longer = load;
  longer.small_files = 0;
  longer.large_files = 0;
  longer.vorbis_entries = 2;
  longer.speex_entries = 2;
  longer.vorbis_seconds = 10;
  longer.speex_seconds = 10;
  Load shorter = longer;
  longer.vorbis_seconds = 600;
  longer.speex_seconds = 600;
  const std::string m_short = dir + "/short", m_long = dir + "/long";
  std::printf("building media of 10-second and 10-minute entries ...\n");
  std::fflush(stdout);
  BuildMedium(m_short, shorter, dir + "/s.ogg", dir + "/s.spx");
  BuildMedium(m_long, longer, dir + "/l.ogg", dir + "/l.spx");
  const long short_kib = Install(m_short, prefix, dir + "/rss").peak_kib;
  const long long_kib = Install(m_long, prefix, dir + "/rss").peak_kib;

  const double pause = LongestPause(medium, prefix);
  std::printf("%-28s %8ld KiB\n", "peak resident, game medium", peak_kib);
  std::printf("%-28s %8ld KiB\n", "peak resident, 10 s entries", short_kib);
  std::printf("%-28s %8ld KiB\n", "peak resident, 10 min entries", long_kib);
  std::printf("%-28s %8.0f ms\n", "longest event-loop pause", pause);
  // install-vs-limit-stored: the same limit with a bare decode that also
  // stores its samples, as the installer must; install-cpu-vs-work-cpu: the
  // CPU time of the install against that of cp and the bare decode.
  std::printf("ratio install-vs-work %.3f\n", Median(vs_work));
  std::printf("ratio install-vs-limit %.3f\n", Median(vs_limit));
  std::printf("ratio install-vs-limit-stored %.3f\n", Median(vs_limit_stored));
  std::printf("ratio install-cpu-vs-work-cpu %.3f\n", Median(cpu_vs_work));
  std::printf("ratio install-image-vs-folder %.3f\n", image_spread.median);
  std::printf("ratio memory-long-vs-short %.3f\n",
              static_cast<double>(long_kib) / static_cast<double>(short_kib));
  std::printf("pause max %.0f ms\n", pause);

  std::error_code ec;
  fs::remove_all(dir, ec);
  return 0;
}
