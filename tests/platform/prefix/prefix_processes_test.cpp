// Program starts through an injected runner: what is run, how, and the status.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "support/prefix_fixture.h"
#include "support/recording_runner.h"

namespace cdsetup::platform {
namespace {

using testing::RecordingRunner;
using testing::WriteFile;

class PrefixProcesses : public testing::PrefixFixture {
 protected:
  void SetUp() override {
    testing::MakeDirs(medium());
    runner_ = std::make_shared<RecordingRunner>();
    PrefixOptions o;
    o.prefix_dir = temp_ / "prefix";
    o.medium_dir = medium();
    o.program_name = "cdsetup";
    o.user = "tester";
    o.code_page = 1250;
    o.runner = runner_;
    auto p = PrefixPlatform::Open(o);
    ASSERT_TRUE(p.ok());
    platform_ = std::move(p).value();
  }
  std::shared_ptr<RecordingRunner> runner_;
};

TEST_F(PrefixProcesses, WindowsProgramRunsThroughWineWithThePrefix) {
  WriteFile(medium("DirectX/DXSETUP.exe"), "MZ\x90");
  runner_->programs.insert("wine");
  runner_->exit_status = 3;
  auto r = platform_->StartProcess("D:\\directx\\dxsetup.EXE", {"/silent"}, Wait::kYes);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(*r, 3);
  ASSERT_EQ(runner_->starts.size(), 1u);
  EXPECT_EQ(runner_->starts[0].argv,
            (std::vector<std::string>{"wine", medium("DirectX/DXSETUP.exe"), "/silent"}));
  EXPECT_EQ(runner_->starts[0].wait, Wait::kYes);
  EXPECT_EQ(runner_->starts[0].output, Output::kAside);
  EXPECT_EQ(runner_->starts[0].env,
            (std::vector<std::pair<std::string, std::string>>{{"WINEPREFIX", temp_ / "prefix"}}));
}

// Explorer on a Polish folder: the arguments arrive in UTF-8, as wine reads
// them, not in the installer's code page 1250; a Polish folder of the host
// reaches xdg-open by its own name.
TEST_F(PrefixProcesses, ArgumentsReachHostProgramsInUtf8) {
  WriteFile(c_drive("windows/explorer.exe"), "MZ");
  runner_->programs.insert("wine");
  const std::string folder = "C:\\users\\tester\\Start Menu\\Demo \xAF\xF3\xB3w";  // Żółw
  ASSERT_TRUE(platform_
                  ->StartProcess("C:\\windows\\explorer.exe", {"C:\\windows\\explorer.exe", folder},
                                 Wait::kNo)
                  .ok());
  ASSERT_EQ(runner_->starts.size(), 1u);
  EXPECT_EQ(runner_->starts[0].argv,
            (std::vector<std::string>{
                "wine", c_drive("windows/explorer.exe"), "C:\\windows\\explorer.exe",
                "C:\\users\\tester\\Start Menu\\Demo \xC5\xBB\xC3\xB3\xC5\x82w"}));
  ::unlink(c_drive("windows/explorer.exe").c_str());
  testing::MakeDirs(c_drive("users/tester/Start Menu/Demo \xC5\xBB\xC3\xB3\xC5\x82w"));
  ASSERT_TRUE(platform_->StartProcess("C:\\windows\\explorer.exe", {folder}, Wait::kNo).ok());
  ASSERT_EQ(runner_->starts.size(), 2u);
  EXPECT_EQ(runner_->starts[1].argv,
            (std::vector<std::string>{
                "xdg-open", c_drive("users/tester/Start Menu/Demo \xC5\xBB\xC3\xB3\xC5\x82w")}));
}

TEST_F(PrefixProcesses, WindowsProgramWithoutWineIsNotStarted) {
  WriteFile(medium("setup.exe"), "MZ");
  EXPECT_TRUE(platform_->StartProcess("D:\\setup.exe", {}, Wait::kYes).status().IsNotFound());
  EXPECT_TRUE(runner_->starts.empty());
}

TEST_F(PrefixProcesses, HostProgramsAndScriptsRunDirectly) {
  WriteFile(medium("extra.sh"), "#!/bin/sh\necho hi\n");
  auto r = platform_->StartProcess("D:\\extra.sh", {"a b", "c"}, Wait::kNo);
  ASSERT_TRUE(r.ok());
  ASSERT_EQ(runner_->starts.size(), 1u);
  // Not executable on the medium: run by the shell, arguments kept whole.
  EXPECT_EQ(runner_->starts[0].argv,
            (std::vector<std::string>{"/bin/sh", medium("extra.sh"), "a b", "c"}));
  EXPECT_EQ(runner_->starts[0].wait, Wait::kNo);
  ::chmod(medium("extra.sh").c_str(), 0755);
  ASSERT_TRUE(platform_->StartProcess("D:\\EXTRA.SH", {}, Wait::kYes).ok());
  EXPECT_EQ(runner_->starts[1].argv, (std::vector<std::string>{medium("extra.sh")}));
}

TEST_F(PrefixProcesses, ExplorerWithoutWineOpensTheFolderOnTheHost) {
  testing::MakeDirs(c_drive("users/tester/Start Menu/Firma"));
  auto r = platform_->StartProcess("C:\\windows\\explorer.exe",
                                   {"C:\\users\\tester\\Start Menu\\firma"}, Wait::kNo);
  ASSERT_TRUE(r.ok());
  ASSERT_EQ(runner_->starts.size(), 1u);
  EXPECT_EQ(runner_->starts[0].argv,
            (std::vector<std::string>{"xdg-open", c_drive("users/tester/Start Menu/Firma")}));
}

TEST_F(PrefixProcesses, WhatCannotBeStartedIsAFailure) {
  WriteFile(medium("readme.txt"), "plain text");
  EXPECT_FALSE(platform_->StartProcess("D:\\readme.txt", {}, Wait::kYes).ok());
  EXPECT_TRUE(platform_->StartProcess("D:\\missing.exe", {}, Wait::kYes).status().IsNotFound());
  WriteFile(medium("run.sh"), "#!/bin/sh\n");
  runner_->fail = true;
  EXPECT_FALSE(platform_->StartProcess("D:\\run.sh", {}, Wait::kYes).ok());
  EXPECT_TRUE(runner_->starts.size() == 1u);
}

// Menu entries: one winemenubuilder per link file written (a file saved
// twice, under two spellings, once), waited for, by the link's Windows path in UTF-8; a line for
// each, and one line when Wine is missing.
TEST_F(PrefixProcesses, MenuEntriesAreAskedOfWineForEveryLinkWritten) {
  EXPECT_TRUE(platform_->MakeMenuEntries().empty());  // no links, no Wine asked
  const std::string folder = "C:\\users\\tester\\Start Menu\\Demo \xAF\xF3\xB3w";  // Żółw
  testing::MakeDirs(c_drive("users/tester/Start Menu/Demo \xC5\xBB\xC3\xB3\xC5\x82w"));
  const ShellLinkSpec game{"C:\\Gry\\demo.exe", "C:\\Gry", "", ""};
  ASSERT_TRUE(platform_->WriteShellLink(folder + "\\Demo.lnk", game).ok());
  ASSERT_TRUE(platform_->WriteShellLink(folder + "\\demo.LNK", game).ok());
  ASSERT_TRUE(platform_->WriteShellLink(folder + "\\Czytaj.lnk", game).ok());
  EXPECT_EQ(platform_->MakeMenuEntries(),
            std::vector<std::string>{"no menu entries for the links: wine is not installed"});
  EXPECT_TRUE(runner_->starts.empty());

  ASSERT_TRUE(platform_->WriteShellLink(folder + "\\Demo.lnk", game).ok());
  ASSERT_TRUE(platform_->WriteShellLink(folder + "\\demo.LNK", game).ok());
  ASSERT_TRUE(platform_->WriteShellLink(folder + "\\Czytaj.lnk", game).ok());
  runner_->programs.insert("wine");
  runner_->exit_status = 0;
  const std::string utf8 = "C:\\users\\tester\\Start Menu\\Demo \xC5\xBB\xC3\xB3\xC5\x82w\\";
  std::vector<std::string> lines = platform_->MakeMenuEntries();
  EXPECT_EQ(lines, (std::vector<std::string>{"menu entry for " + utf8 + "Demo.lnk",
                                             "menu entry for " + utf8 + "Czytaj.lnk"}));
  ASSERT_EQ(runner_->starts.size(), 2u);
  EXPECT_EQ(runner_->starts[0].argv,
            (std::vector<std::string>{"wine", "winemenubuilder", utf8 + "Demo.lnk"}));
  EXPECT_EQ(runner_->starts[0].wait, Wait::kYes);
  // Wine's notices would follow the closing words on the person's terminal.
  EXPECT_EQ(runner_->starts[0].output, Output::kAside);
  EXPECT_EQ(runner_->starts[0].env,
            (std::vector<std::pair<std::string, std::string>>{{"WINEPREFIX", temp_ / "prefix"}}));
  // Asked once: the next call has nothing new.
  EXPECT_TRUE(platform_->MakeMenuEntries().empty());

  ASSERT_TRUE(platform_->WriteShellLink(folder + "\\Demo.lnk", game).ok());
  runner_->exit_status = 1;
  EXPECT_EQ(platform_->MakeMenuEntries(),
            std::vector<std::string>{"no menu entry for " + utf8 +
                                     "Demo.lnk: winemenubuilder ended with status 1"});
}

TEST(PosixProcessRunner, WaitsAndReportsTheExitStatus) {
  PosixProcessRunner runner;
  auto r = runner.Run({"/bin/sh", "-c", "exit 7"}, {}, Wait::kYes, Output::kShown);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(*r, 7);
  auto env = runner.Run({"/bin/sh", "-c", "test \"$WINEPREFIX\" = /p"}, {{"WINEPREFIX", "/p"}},
                        Wait::kYes, Output::kShown);
  EXPECT_EQ(*env, 0);
  EXPECT_EQ(*runner.Run({"/bin/true"}, {}, Wait::kNo, Output::kShown), 0);
  EXPECT_FALSE(runner.Run({"/no/such/program"}, {}, Wait::kYes, Output::kShown).ok());
  EXPECT_TRUE(runner.HasProgram("sh"));
  EXPECT_FALSE(runner.HasProgram("no-such-program-here"));
}

// What a program prints reaches our own output, or when put aside, the
// runner's aside file (the log) or nowhere.
TEST(PosixProcessRunner, OutputPutAsideReachesTheAsideFileOnly) {
  testing::ScopedTempDir temp;
  const std::string path = temp / "out.txt";
  const std::string aside_path = temp / "aside.txt";
  const int aside = ::open(aside_path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  auto printed = [&](Output output, int aside_fd) {
    std::fflush(stdout);
    std::fflush(stderr);
    const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int saved_out = ::dup(STDOUT_FILENO), saved_err = ::dup(STDERR_FILENO);
    ::dup2(file, STDOUT_FILENO);
    ::dup2(file, STDERR_FILENO);
    ::close(file);
    PosixProcessRunner runner(aside_fd);
    auto status =
        runner.Run({"/bin/sh", "-c", "echo out; echo err >&2; exit 3"}, {}, Wait::kYes, output);
    ::dup2(saved_out, STDOUT_FILENO);
    ::dup2(saved_err, STDERR_FILENO);
    ::close(saved_out);
    ::close(saved_err);
    EXPECT_TRUE(status.ok() && *status == 3);
    return testing::ReadFile(path);
  };
  EXPECT_EQ(printed(Output::kShown, aside), "out\nerr\n");
  EXPECT_EQ(printed(Output::kAside, -1), "");
  EXPECT_EQ(testing::ReadFile(aside_path), "");
  EXPECT_EQ(printed(Output::kAside, aside), "");
  EXPECT_EQ(testing::ReadFile(aside_path), "out\nerr\n");
  ::close(aside);
}

// A program nobody waits for (explorer.exe on the Start-menu folder) must not
// hold a pipe our caller reads to its end, nor take our terminal's Ctrl-C.
TEST(PosixProcessRunner, AProgramNotWaitedForGetsNoStreamsAndASessionOfItsOwn) {
  testing::ScopedTempDir temp;
  const std::string report = temp / "report.txt";
  PosixProcessRunner runner;
  // The shell's own descriptors, read from outside it, and its session.
  const std::string script =
      "a=$(readlink /proc/$$/fd/0); b=$(readlink /proc/$$/fd/1); c=$(readlink /proc/$$/fd/2); "
      "set -- $(cat /proc/$$/stat); l=member; test \"$6\" -eq $$ && l=leader; "
      "printf '%s\\n' \"$a\" \"$b\" \"$c\" $l > " +
      report + ".part && mv " + report + ".part " + report;
  ASSERT_TRUE(runner.Run({"/bin/sh", "-c", script}, {}, Wait::kNo, Output::kShown).ok());
  // It runs on its own: the report is looked for until it is there.
  for (int tries = 0; tries < 3000 && !testing::Exists(report); ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(testing::ReadFile(report), "/dev/null\n/dev/null\n/dev/null\nleader\n");
}

}  // namespace
}  // namespace cdsetup::platform
