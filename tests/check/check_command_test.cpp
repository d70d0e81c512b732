// cdsetup --check run as a publisher runs it: its exit statuses, its report
// on the terminal, the sizes it tells against what an installation writes,
// and that it writes nothing anywhere.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <string>

#include "demo_medium/demo_medium.h"
#include "support/program_run.h"
#include "support/scoped_temp_dir.h"

namespace cdsetup::check {
namespace {

namespace fs = std::filesystem;
using testing::ProgramRun;
using testing::ReadFile;

class CheckCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(demo::BuildDemoMedium(temp_ / "medium", demo::DemoOptions{2, 0.2}).ok());
    testing::MakeDirs(temp_ / "home");
    testing::MakeDirs(temp_ / "tmp");
  }

  // Runs cdsetup with `args`, with a home and a temporary folder of its own
  // and the assignments `env` ("NAME=value ...").
  ProgramRun Cdsetup(const std::string& args, const std::string& env = "") {
    return testing::RunProgram("env -u DISPLAY -u WAYLAND_DISPLAY -u WINEPREFIX LANG=C HOME='" +
                                   temp_ / "home" + "' TMPDIR='" + temp_ / "tmp" + "' " + env +
                                   " " + CDSETUP_PATH + " " + args,
                               "", temp_);
  }
  std::string Medium() const { return "--medium '" + temp_ / "medium" + "'"; }

  // Every file and folder below `dir` with its size, time and bytes.
  static std::map<std::string, std::string> Snapshot(const std::string& dir) {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
      struct stat st;
      ::lstat(e.path().c_str(), &st);
      out[e.path().string()] = std::to_string(st.st_mode) + " " + std::to_string(st.st_size) + " " +
                               std::to_string(st.st_mtim.tv_sec) + "." +
                               std::to_string(st.st_mtim.tv_nsec) +
                               (e.is_regular_file() ? " " + ReadFile(e.path()) : "");
    }
    return out;
  }

  testing::ScopedTempDir temp_;
};

TEST_F(CheckCommand, ACleanMediumEndsWithStatus0AndItsSizes) {
  ProgramRun run = Cdsetup("--check " + Medium());
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_NE(run.out.find("\nstd: 6 files of "), std::string::npos) << run.out;
  const std::string summary = "cdsetup --check " + temp_ / "medium" + ": no problems found\n";
  ASSERT_GE(run.out.size(), summary.size());
  EXPECT_EQ(run.out.substr(run.out.size() - summary.size()), summary);
}

TEST_F(CheckCommand, AMediumWithAProblemEndsWithStatus5) {
  fs::remove(temp_ / "medium/Dane/Poziomy/poziom2.dat");
  ProgramRun run = Cdsetup("--check " + Medium());
  EXPECT_EQ(run.status, 5) << run.out << run.err;
  EXPECT_EQ(run.out.rfind("install.ini:", 0), 0u) << run.out;
  EXPECT_NE(run.out.find("[std] 5=Dane\\Poziomy\\poziom2.dat: no such file on the medium: the "
                         "copy would stop there\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find(": 2 problems found\n"), std::string::npos) << run.out;  // std and max
}

TEST_F(CheckCommand, WhatCannotBeCheckedEndsWithStatus4) {
  EXPECT_EQ(Cdsetup("--check --medium '" + temp_ / "home" + "'").status, 4);  // no install.ini
  EXPECT_EQ(Cdsetup("--check " + Medium() + " --prefix '" + temp_ / "prefix" + "'").status, 4);
  EXPECT_EQ(Cdsetup("--check " + Medium() + " --silent").status, 4);
  EXPECT_FALSE(fs::exists(temp_ / "prefix"));
}

TEST_F(CheckCommand, ACheckWritesNothingAnywhere) {
  // A spoilt medium too, so that every part of the check runs.
  testing::WriteFile(temp_ / "medium/tlo.bmp", "no picture");
  const auto medium = Snapshot(temp_ / "medium");
  EXPECT_EQ(Cdsetup("--check " + Medium()).status, 5);
  EXPECT_EQ(Snapshot(temp_ / "medium"), medium);
  EXPECT_TRUE(fs::is_empty(temp_ / "home"));  // no ~/.wine
  EXPECT_TRUE(fs::is_empty(temp_ / "tmp"));   // no scratch left

  // Nor in a prefix that $WINEPREFIX names.
  testing::MakeDirs(temp_ / "prefix/drive_c");
  const auto prefix = Snapshot(temp_ / "prefix");
  EXPECT_EQ(Cdsetup("--check " + Medium(), "WINEPREFIX='" + temp_ / "prefix" + "'").status, 5);
  EXPECT_EQ(Snapshot(temp_ / "prefix"), prefix);
}

TEST_F(CheckCommand, TheWavSizesAreWhatAnInstallationWrites) {
  ProgramRun check = Cdsetup("--check " + Medium());
  ASSERT_EQ(check.status, 0) << check.out;
  ProgramRun install = Cdsetup(Medium() + " --prefix '" + temp_ / "prefix" +
                               "' --silent --accept-licence --type max --lang English");
  ASSERT_EQ(install.status, 0) << install.err;
  std::uintmax_t wav = 0, files = 0;
  int wav_count = 0, file_count = 0;
  const std::string target = temp_ / "prefix/drive_c/Games/Demo";
  for (const auto& e : fs::recursive_directory_iterator(target)) {
    if (!e.is_regular_file()) continue;
    const std::string name = e.path().filename().string();
    if (name == "install.ini" || name == "tlo.bmp") continue;  // the closing steps' copies
    if (e.path().extension() == ".wav") {
      wav += e.file_size();
      ++wav_count;
    } else {
      files += e.file_size();
      ++file_count;
    }
  }
  const std::string max = "max: " + std::to_string(file_count) + " files of " +
                          std::to_string(files) + " bytes and " + std::to_string(wav_count) +
                          " WAV files of " + std::to_string(wav) + " bytes: ";
  EXPECT_NE(check.out.find("\n" + max), std::string::npos) << max << "\n" << check.out;
}

}  // namespace
}  // namespace cdsetup::check
