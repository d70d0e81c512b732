// The copy engine against `cp -r` on the same trees in the same run: a tree
// of many small files and one of a few large files. Each side runs several
// times, alternating, into fresh directories on the same file system; the
// medians are compared.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "copy/copy_engine.h"
#include "platform/create_directory_path.h"
#include "platform/prefix/prefix_platform.h"
#include "script/install_script.h"

namespace fs = std::filesystem;
using namespace cdsetup;

namespace {

constexpr int kRuns = 5;

class NoConverter : public copy::SoundConverter {
 public:
  base::Status Convert(std::uint32_t, const std::string&, const std::string&,
                       const std::atomic<bool>&) override {
    return base::Status::Ok();
  }
};

void WriteFile(const fs::path& path, std::size_t size, char fill) {
  fs::create_directories(path.parent_path());
  std::string bytes(size, fill);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f) != 0) {
    std::fprintf(stderr, "copy_bench: cannot write %s\n", path.c_str());
    std::exit(1);
  }
}

struct Tree {
  std::string name;
  std::string folder;  // below the medium
  int files;
  std::size_t size;
};

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Copies the tree with the engine, the way the copy page drives it.
double RunEngine(platform::Platform& platform, const std::string& type, const std::string& target) {
  auto start = std::chrono::steady_clock::now();
  script::InstallScript script(platform, "D:\\install.ini");
  NoConverter converter;
  if (!platform::CreateDirectoryPath(platform, target).ok()) std::exit(1);
  copy::CopyEngine engine(script::LocalizedTexts(script, "English"), target, converter);
  engine.SetInstallType(type);
  engine.Start();
  copy::StepResult r;
  while ((r = engine.Step()) == copy::StepResult::kGoOn) {
  }
  if (r != copy::StepResult::kFinished) {
    std::fprintf(stderr, "copy_bench: the engine failed: %s\n",
                 engine.failure().ToString().c_str());
    std::exit(1);
  }
  return Seconds(std::chrono::steady_clock::now() - start);
}

double RunCp(const fs::path& from, const fs::path& to) {
  auto start = std::chrono::steady_clock::now();
  std::string command = "cp -r '" + from.string() + "' '" + to.string() + "'";
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "copy_bench: cp failed\n");
    std::exit(1);
  }
  return Seconds(std::chrono::steady_clock::now() - start);
}

}  // namespace

int main() {
  const char* base = std::getenv("CDSETUP_BENCH_DIR");
  fs::path root =
      fs::path(base ? base : "/tmp") / ("cdsetup-copy-bench-" + std::to_string(::getpid()));
  const fs::path medium = root / "medium";
  const fs::path drive_c = root / "prefix/drive_c";
  std::vector<Tree> trees = {{"small-files", "small", 2000, 20 * 1024},
                             {"large-files", "large", 3, 100u * 1024 * 1024}};

  std::string ini = "[English]\nIDS_KOPIUJE_TERAZ_PLIK=Copying\nIDS_E_WRITEOFILE=Cannot write\n";
  for (const Tree& t : trees) {
    ini += "[" + t.folder + "]\nfiles=" + std::to_string(t.files) + "\n";
    for (int i = 0; i < t.files; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "f%04d.dat", i);
      WriteFile(medium / t.folder / name, t.size, static_cast<char>('a' + i % 26));
      ini += std::to_string(i) + "=" + t.folder + "\\" + name + "\n";
    }
  }
  std::FILE* f = std::fopen((medium / "install.ini").c_str(), "wb");
  if (!f) return 1;
  std::fputs(ini.c_str(), f);
  std::fclose(f);

  platform::PrefixOptions o;
  o.prefix_dir = (root / "prefix").string();
  o.medium_dir = medium.string();
  o.program_name = "cdsetup";
  o.code_page = 1252;
  auto opened = platform::PrefixPlatform::Open(o);
  if (!opened.ok()) {
    std::fprintf(stderr, "copy_bench: %s\n", opened.status().ToString().c_str());
    return 1;
  }
  platform::Platform& platform = *opened.value();

  std::printf("%-12s %6s %10s %10s\n", "tree", "run", "engine s", "cp -r s");
  std::vector<std::pair<std::string, double>> ratios;
  for (const Tree& t : trees) {
    std::vector<double> engine_times, cp_times;
    for (int run = 0; run < kRuns; ++run) {
      const std::string e_dir = "e" + std::to_string(run);
      const std::string c_dir = "c" + std::to_string(run);
      // Alternate which side goes first, so neither always meets a warm cache.
      double e, c;
      if (run % 2 == 0) {
        e = RunEngine(platform, t.folder, "C:\\" + e_dir);
        c = RunCp(medium / t.folder, drive_c / c_dir);
      } else {
        c = RunCp(medium / t.folder, drive_c / c_dir);
        e = RunEngine(platform, t.folder, "C:\\" + e_dir);
      }
      engine_times.push_back(e);
      cp_times.push_back(c);
      std::printf("%-12s %6d %10.3f %10.3f\n", t.name.c_str(), run, e, c);
      fs::remove_all(drive_c / e_dir);
      fs::remove_all(drive_c / c_dir);
    }
    ratios.emplace_back(t.name, Median(engine_times) / Median(cp_times));
  }
  fs::remove_all(root);
  for (const auto& [name, ratio] : ratios) std::printf("ratio copy-%s %.2f\n", name.c_str(), ratio);
  return 0;
}
