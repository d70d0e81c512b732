// Making and repairing prefixes: by Wine where it can, whole or not at all,
// and what an interrupted run left completed or cleared.
#include "platform/prefix/prefix_layout.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include "platform/prefix/prefix_platform.h"
#include "support/recording_runner.h"
#include "support/scoped_temp_dir.h"

namespace cdsetup::platform {
namespace {

using testing::Exists;
using testing::MakeDirs;
using testing::ReadFile;
using testing::WriteFile;

// A Wine whose wineboot makes a prefix of its own kind (or fails), and which
// notes whether the prefix's place was taken while it worked.
class BootingRunner : public testing::RecordingRunner {
 public:
  base::Result<int> Run(const std::vector<std::string>& argv,
                        const std::vector<std::pair<std::string, std::string>>& env, Wait wait,
                        Output output) override {
    if (argv == std::vector<std::string>{"wine", "wineboot", "-i"} && !env.empty()) {
      place_taken_while_booting = Exists(place);
      if (boots) {
        WriteFile(env[0].second + "/drive_c/windows/system32/kernel32.dll", "MZ");
        WriteFile(env[0].second + "/system.reg", "WINE REGISTRY Version 2\n;; Wine's own\n");
      }
    }
    return RecordingRunner::Run(argv, env, wait, output);
  }
  bool boots = true;
  std::string place;
  bool place_taken_while_booting = false;
};

std::vector<std::string> Names(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = ::opendir(dir.c_str())) {
    while (const dirent* e = ::readdir(d)) {
      if (e->d_name[0] != '.' ||
          (std::string(e->d_name) != "." && std::string(e->d_name) != "..")) {
        names.push_back(e->d_name);
      }
    }
    ::closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

void MakeOld(const std::string& path) {
  const timespec old[2] = {{std::time(nullptr) - 2 * 60 * 60, 0},
                           {std::time(nullptr) - 2 * 60 * 60, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), old, AT_SYMLINK_NOFOLLOW), 0) << path;
}

TEST(PrefixLayout, ANewPrefixIsMadeByWineWhereItCanAndAppearsOnlyWhole) {
  const struct {
    const char* name;
    bool has_wine;
    bool boots;
    const char* note;
    bool wines_own;
  } kCases[] = {
      {"Wine boots", true, true, "Wine made the prefix in ", true},
      {"Wine fails", true, false, "made a minimal prefix (Wine could not make one)", false},
      {"no Wine", false, false, "made a minimal prefix (Wine is not installed)", false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    testing::ScopedTempDir temp;
    BootingRunner runner;
    if (c.has_wine) runner.programs.insert("wine");
    runner.boots = c.boots;
    runner.place = temp / "games/prefix";
    std::vector<std::string> told;
    auto made = EnsurePrefix(runner.place, "tester",
                             {&runner, [&](const std::string& line) { told.push_back(line); }});
    ASSERT_TRUE(made.ok()) << made.status().ToString();
    EXPECT_EQ(made->rfind(c.note, 0), 0u) << *made;
    EXPECT_EQ(told.size(), c.has_wine ? 1u : 0u);
    EXPECT_FALSE(runner.place_taken_while_booting);
    EXPECT_EQ(Exists(runner.place + "/drive_c/windows/system32/kernel32.dll"), c.wines_own);
    // Wine's registry is kept; what it lacks, the minimal layout gives.
    EXPECT_EQ(ReadFile(runner.place + "/system.reg").find("Wine's own") != std::string::npos,
              c.wines_own);
    EXPECT_NE(ReadFile(runner.place + "/user.reg").find("\"Programs\"="), std::string::npos);
    EXPECT_TRUE(Exists(runner.place + "/dosdevices/c:"));
    EXPECT_EQ(Names(temp / "games"), std::vector<std::string>{"prefix"});  // nothing beside it
  }
}

TEST(PrefixLayout, WhatAnInterruptedRunLeftIsCompletedOrCleared) {
  testing::ScopedTempDir temp;
  // A prefix killed mid-way: drive_c alone, a stale and a fresh temporary
  // registry file, and an abandoned and a fresh half-made prefix beside.
  const std::string bare = temp / "bare";
  MakeDirs(bare + "/drive_c");
  WriteFile(bare + "/.system.reg.abcdef", "half");
  MakeOld(bare + "/.system.reg.abcdef");
  WriteFile(bare + "/.user.reg.ghijkl", "being written");
  MakeDirs(temp / ".new.cdsetup-new.old123/drive_c");
  MakeOld(temp / ".new.cdsetup-new.old123");
  MakeDirs(temp / ".new.cdsetup-new.now456");

  auto completed = EnsurePrefix(bare, "tester");
  ASSERT_TRUE(completed.ok()) << completed.status().ToString();
  EXPECT_NE(completed->find("system.reg, user.reg, userdef.reg"), std::string::npos) << *completed;
  EXPECT_EQ(Names(bare), (std::vector<std::string>{".user.reg.ghijkl", "dosdevices", "drive_c",
                                                   "system.reg", "user.reg", "userdef.reg"}));
  EXPECT_TRUE(Exists(bare + "/drive_c/users/tester/AppData/Roaming/Microsoft/Windows/Start Menu/"
                            "Programs"));
  // Whole now: a second look changes nothing.
  EXPECT_EQ(*EnsurePrefix(bare, "tester"), "");

  ASSERT_TRUE(EnsurePrefix(temp / "new", "tester").ok());
  EXPECT_FALSE(Exists(temp / ".new.cdsetup-new.old123"));
  EXPECT_TRUE(Exists(temp / ".new.cdsetup-new.now456"));  // perhaps another run's, at work

  // A user.reg without the Start-menu folder's value (made by hand, or by a
  // Wine that was stopped) gets it back when the prefix is opened.
  WriteFile(bare + "/user.reg", "WINE REGISTRY Version 2\n\n#arch=win64\n");
  MakeDirs(temp / "medium");
  PrefixOptions options;
  options.prefix_dir = bare;
  options.medium_dir = temp / "medium";
  options.user = "tester";
  options.wineserver_root = temp / "no-servers";
  auto opened = PrefixPlatform::Open(options);
  ASSERT_TRUE(opened.ok()) << opened.status().ToString();
  EXPECT_EQ((*opened)->prefix_note(), "completed the Start-menu folder value");
  EXPECT_NE(ReadFile(bare + "/user.reg")
                .find("\"Programs\"=\"C:\\\\users\\\\tester\\\\AppData\\\\Roaming\\\\Microsoft\\\\"
                      "Windows\\\\Start Menu\\\\Programs\""),
            std::string::npos);
}

}  // namespace
}  // namespace cdsetup::platform
