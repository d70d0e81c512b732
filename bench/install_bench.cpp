// A silent installation of a game-sized medium against, in the same run, what
// the work needs: `cp -r` of its plain files and the bare library decode of
// its sound entries one after another. Also the longest pause of the event
// loop while the copy page runs in a window (offscreen), and the peak memory
// of an installation with short and with long entries.

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
#include "copy/copy_progress_dlg.h"
#include "demo_medium/demo_medium.h"
#include "encoderkit/speex_encoder.h"
#include "encoderkit/vorbis_encoder.h"
#include "framework/app.h"
#include "framework/window_manager.h"
#include "platform/create_directory_path.h"
#include "platform/prefix/prefix_platform.h"
#include "platform/system_platform.h"
#include "script/localized_texts.h"
#include "sndpack/sound_archive_writer.h"
#include "ui/qt/qt_backend.h"

namespace fs = std::filesystem;
using namespace cdsetup;
using namespace cdsetup::bench;

namespace {

constexpr int kRounds = 3;

struct Load {
  int small_files = 1200;  // of 4 KiB
  int large_files = 120;   // of 1 MiB
  int vorbis_entries = 40;
  double vorbis_seconds = 15;
  int speex_entries = 60;
  double speex_seconds = 10;
};

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
  const std::string ogg = encoderkit::EncodeVorbis(stereo, Signal(44100, 2, load.vorbis_seconds));
  encoderkit::SpeexOptions wide;
  wide.mode = 1;
  const std::string spx = encoderkit::EncodeSpeex(wide, Signal(16000, 1, load.speex_seconds));
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
  long peak_kib = 0;
};

// Runs `argv` to its end; a failure ends the benchmark.
double Run(const std::vector<std::string>& argv) {
  const ProcessRun run = RunProcess(argv);
  if (run.status != 0) {
    std::fprintf(stderr, "install_bench: %s failed\n", argv[0].c_str());
    std::exit(1);
  }
  return run.seconds;
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
  run.seconds = Run({"/usr/bin/time", "-f", "%M", "-o", rss_file, "/usr/bin/env",
                     "PATH=/nonexistent", CDSETUP_PATH, "--silent", "--accept-licence", "--lang",
                     "English", "--type", "max", "--medium", medium, "--prefix", prefix});
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
  platform::SetSystemPlatform(&p);
  (void)platform::CreateDirectoryPath(p, "C:\\Games\\Bench");

  framework::CWinApp app("setup");
  ui::qt::QtBackend backend(ui::qt::QtOptions{});
  framework::WindowManager::Get().SetBackend(&backend);
  std::FILE* null = std::fopen("/dev/null", "w");
  copy::AudioSoundConverter converter(audio::AudioDiagnostics{null, null});
  const std::string target = "C:\\Games\\Bench";
  copy::CCopyProgressDlg page(target, nullptr,
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
  framework::WindowManager::Get().SetBackend(nullptr);
  platform::SetSystemPlatform(nullptr);
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

  std::vector<double> install, copy, decode;
  std::printf("timing %d interleaved rounds ...\n", kRounds);
  long peak_kib = 0;
  for (int round = 0; round < kRounds; ++round) {
    const InstallRun installed = Install(medium, prefix, dir + "/rss");
    install.push_back(installed.seconds);
    peak_kib = std::max(peak_kib, installed.peak_kib);
    fs::remove_all(dir + "/cp");
    fs::create_directories(dir + "/cp");
    copy.push_back(Run({"cp", "-r", medium + "/Gra/Male", medium + "/Gra/Duze", dir + "/cp"}));
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < load.vorbis_entries; ++i) BareVorbis(vorbis);
    for (int i = 0; i < load.speex_entries; ++i) BareSpeex(speex);
    decode.push_back(Seconds(std::chrono::steady_clock::now() - start));
  }
  const double ours = Median(install), cp = Median(copy), bare = Median(decode);
  const double limit = std::max(cp, bare / cores);
  std::printf("%-28s %8.3f s\n", "silent install (median)", ours);
  std::printf("%-28s %8.3f s\n", "cp -r of the plain files", cp);
  std::printf("%-28s %8.3f s\n", "bare decode, one by one", bare);
  std::printf("%-28s %8.3f s   (%d cores)\n", "limit max(cp, decode/cores)", limit, cores);

  // Memory: the same counts with entries ten times as long.
  Load longer = load;
  longer.small_files = 0;
  longer.large_files = 0;
  longer.vorbis_entries = 4;
  longer.speex_entries = 4;
  Load shorter = longer;
  longer.vorbis_seconds *= 10;
  longer.speex_seconds *= 10;
  const std::string m_short = dir + "/short", m_long = dir + "/long";
  BuildMedium(m_short, shorter, dir + "/s.ogg", dir + "/s.spx");
  BuildMedium(m_long, longer, dir + "/l.ogg", dir + "/l.spx");
  const long short_kib = Install(m_short, prefix, dir + "/rss").peak_kib;
  const long long_kib = Install(m_long, prefix, dir + "/rss").peak_kib;

  const double pause = LongestPause(medium, prefix);
  std::printf("%-28s %8ld KiB\n", "peak resident, game medium", peak_kib);
  std::printf("%-28s %8ld KiB\n", "peak resident, 15 s entries", short_kib);
  std::printf("%-28s %8ld KiB\n", "peak resident, 150 s entries", long_kib);
  std::printf("%-28s %8.0f ms\n", "longest event-loop pause", pause);
  std::printf("ratio install-vs-work %.3f\n", ours / (cp + bare));
  std::printf("ratio install-vs-limit %.3f\n", ours / limit);
  std::printf("ratio memory-long-vs-short %.3f\n",
              static_cast<double>(long_kib) / static_cast<double>(short_kib));
  std::printf("pause max %.0f ms\n", pause);

  std::error_code ec;
  fs::remove_all(dir, ec);
  return 0;
}
