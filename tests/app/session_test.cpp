// The installer started in-process as main() starts it, over a session of the
// test's own: the command line's answers reach the pages, the outcome and the
// log come back; and where the medium is looked for.
#include "app/session.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "app/install_app.h"
#include "cd_image/cd_image.h"
#include "demo_medium/demo_medium.h"
#include "support/prefix_fixture.h"
#include "support/recording_runner.h"

namespace cdsetup::app {
namespace {

using testing::ReadFile;

// A session over the fixture's prefix whose console prints into memory.
class TestSession : public Session {
 public:
  TestSession(const Invocation& invocation, platform::PrefixPlatform& platform)
      : Session(invocation), platform_(platform), out_(open_memstream(&printed_, &size_)) {
    console_out_ = out_;
    EXPECT_TRUE(OpenLog().ok());
    Start(nullptr);
  }
  ~TestSession() override {
    windows().SetBackend(nullptr);
    std::fclose(out_);
    std::free(printed_);
  }
  platform::Platform& platform() override { return platform_; }
  std::string ToTerminal(std::string_view text) const override {
    return platform_.text_code_page().ToUtf8(text);
  }
  std::string FromTerminal(std::string_view typed) const override {
    return platform_.text_code_page().FromUtf8(typed);
  }
  std::string NameToTerminal(std::string_view name) const override {
    return platform_.name_code_page().ToUtf8(name);
  }
  std::string NameFromConsole(std::string_view typed) const override {
    return platform_.name_code_page().FromUtf8(typed);
  }
  std::optional<std::string> NameFromTerminal(std::string_view typed) const override {
    const platform::CodePage& names = platform_.name_code_page();
    std::string name = names.FromUtf8(typed);
    if (names.ToUtf8(name) != typed) return std::nullopt;
    return name;
  }
  void UseTextCodePage(int code_page) override {
    code_pages.push_back(code_page);
    platform_.UseTextCodePage(code_page);
  }
  std::string printed() {
    std::fflush(out_);
    return std::string(printed_, size_);
  }
  std::vector<int> code_pages;

 private:
  platform::PrefixPlatform& platform_;
  char* printed_ = nullptr;
  std::size_t size_ = 0;
  std::FILE* out_;
};

class SessionTest : public testing::PrefixFixture {
 protected:
  void SetUp() override {
    runner_ = std::make_shared<testing::RecordingRunner>();
    PrefixFixture::SetUp();
    Open(1252);  // an English system: the Polish texts need their own code page
    ASSERT_TRUE(demo::BuildDemoMedium(medium(), demo::DemoOptions{2, 0.2}).ok());
  }
  Invocation Silent() const {
    Invocation in;
    in.silent = true;
    in.language = "Polski";
    in.directory = "C:\\Gry\\Mörkö";
    in.executable = medium("cdsetup");
    in.log_path = temp_ / "run.log";
    return in;
  }
};

TEST_F(SessionTest, ASilentRunInstallsOrStopsAtTheLicenceAsTheCommandLineSays) {
  struct Case {
    bool accept;
    const char* directory;
    Outcome outcome;
    const char* reason;
  };
  // The directory is a name of this English system: its code page spells
  // "ö" but no "Ż", whatever the language of the texts.
  for (Case c : {Case{false, "C:\\Gry\\Mörkö", Outcome::kCancelled, "licence"},
                 Case{true, "C:\\Gry\\Żółw", Outcome::kBadCommandLine, "code page 1252"},
                 Case{true, "C:\\Gry\\Mörkö", Outcome::kInstalled, ""}}) {
    SCOPED_TRACE(c.directory);
    Invocation in = Silent();
    in.accept_licence = c.accept;
    in.directory = c.directory;
    TestSession session(in, *platform_);
    const RunResult result = RunInstaller(session);
    EXPECT_EQ(result.outcome, c.outcome) << result.reason;
    EXPECT_NE(result.reason.find(c.reason), std::string::npos) << result.reason;
    const bool installed = testing::Exists(c_drive("Gry/Mörkö/demo.exe"));
    EXPECT_EQ(installed, c.outcome == Outcome::kInstalled) << session.printed();
    EXPECT_FALSE(testing::Exists(c_drive("Gry/Żółw")));
    // The language's code page was taken up once it was chosen.
    if (c.outcome != Outcome::kBadCommandLine) {
      EXPECT_EQ(session.code_pages, std::vector<int>{1250});
    }
  }
  const std::string log = ReadFile(temp_ / "run.log");
  EXPECT_NE(log.find("step copy: done"), std::string::npos) << log;
  EXPECT_NE(log.find("step licence: failed: cancelled: the licence was not accepted"),
            std::string::npos)
      << log;
  // Nobody would see the Start-menu folder: no window is opened for it.
  EXPECT_NE(log.find("the Start-menu folder is not opened"), std::string::npos) << log;
  EXPECT_TRUE(static_cast<testing::RecordingRunner&>(*runner_).starts.empty());
}

TEST_F(SessionTest, TheMediumIsTheFolderNamedElseTheProgramsElseTheCurrentOne) {
  testing::MakeDirs(temp_ / "empty");
  ASSERT_TRUE(cdimage::MakeIsoImage(medium(), temp_ / "cd.iso", "DEMO").ok());
  ASSERT_TRUE(cdimage::MakeIsoImage(temp_ / "empty", temp_ / "empty.iso", "EMPTY").ok());
  testing::WriteFile(temp_ / "notes.txt", "no image");
  testing::MakeDirs(temp_ / "fifo");
  ASSERT_EQ(::mkfifo((temp_ / "fifo/INSTALL.INI").c_str(), 0600), 0);
  testing::MakeDirs(temp_ / "huge");
  testing::WriteFile(temp_ / "huge/install.ini", "[Option]\r\n");
  ASSERT_EQ(::truncate((temp_ / "huge/install.ini").c_str(), (64ll << 20) + 1), 0);
  struct Case {
    std::string medium, executable;
    std::string found;  // "" when refused
    const char* why;
  };
  const Case cases[] = {
      {medium(), "/nowhere/cdsetup", medium(), ""},
      {"", medium("cdsetup"), medium(), ""},
      {temp_ / "empty", "/x", "", "holds no install.ini"},
      {temp_ / "missing", "/x", "", "no medium at"},
      {temp_ / "fifo", "/x", "", "INSTALL.INI is not a regular file"},
      {temp_ / "huge", "/x", "", "is too large to be an install script (at most 64 MiB)"},
      {temp_ / "cd.iso", "/x", temp_ / "cd.iso", ""},
      {temp_ / "empty.iso", "/x", "", "holds no install.ini"},
      {temp_ / "notes.txt", "/x", "", "is no CD image that can be read"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.medium + " " + c.executable);
    Invocation in;
    in.medium = c.medium;
    in.executable = c.executable;
    const base::Status located = LocateMedium(in);
    if (c.found.empty()) {
      EXPECT_NE(located.message().find(c.why), std::string::npos) << located.ToString();
    } else {
      EXPECT_TRUE(located.ok()) << located.ToString();
      EXPECT_EQ(in.medium, c.found);
    }
  }
}

}  // namespace
}  // namespace cdsetup::app
