// The sndpack tool as a user runs it: its exit status, output and files.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "sndpack/sound_archive_writer.h"
#include "support/scoped_temp_dir.h"

namespace cdsetup::sndpack {
namespace {

using testing::Exists;
using testing::ReadFile;
using testing::WriteFile;

struct ToolRun {
  int status;
  std::string out;
};

// Runs sndpack with `args` (already quoted) through the shell; stderr joins stdout.
ToolRun Sndpack(const std::string& args) {
  std::string command = std::string(SNDPACK_PATH) + " " + args + " 2>&1";
  ToolRun run{-1, ""};
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return run;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) run.out.append(buf, n);
  int raw = ::pclose(pipe);
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return run;
}

TEST(Sndpack, CreateListExtractRoundTrip) {
  testing::ScopedTempDir dir;
  WriteFile(dir / "in/Intro.OGG", "vorbis");
  WriteFile(dir / "in/mowa.spx", "speex");
  WriteFile(dir / "in/data.bin", std::string(300000, 'd'));
  ToolRun created =
      Sndpack("create " + dir / "m.snd" + " " + dir / "in/Intro.OGG" + " " + dir / "in/mowa.spx" +
              " --kind 1 --name other.spx " + dir / "in/data.bin" + " " + dir / "in/data.bin");
  ASSERT_EQ(created.status, 0) << created.out;
  ToolRun listed = Sndpack("list " + dir / "m.snd");
  EXPECT_EQ(listed.status, 0);
  EXPECT_EQ(listed.out, "0 6 Intro.OGG\n1 5 mowa.spx\n1 300000 other.spx\n2 300000 data.bin\n");
  testing::MakeDirs(dir / "out");
  ASSERT_EQ(Sndpack("extract " + dir / "m.snd" + " " + dir / "out").status, 0);
  EXPECT_EQ(ReadFile(dir / "out/Intro.OGG"), "vorbis");
  EXPECT_EQ(ReadFile(dir / "out/other.spx"), std::string(300000, 'd'));
}

TEST(Sndpack, FailuresAreReportedWithANonZeroStatus) {
  testing::ScopedTempDir dir;
  WriteFile(dir / "a.ogg", "a");
  WriteFile(dir / "evil.snd", EntryBytes(0, "../../evil.ogg", "x"));
  WriteFile(dir / "cut.snd", EntryBytes(0, "a.ogg", "x") + RawHeader(0, 99, 5) + "b.ogg");
  testing::MakeDirs(dir / "out");
  struct Case {
    std::string args;
    const char* says;
  } cases[] = {
      {"create " + dir / "x.snd" + " " + dir / "missing.ogg", "missing.ogg"},
      {"create " + dir / "x.snd" + " --kind -1 " + dir / "a.ogg", "--kind"},
      {"create " + dir / "x.snd" + " --name ../up.ogg " + dir / "a.ogg", "up.ogg"},
      {"create " + dir / "x.snd" + " " + dir / "a.ogg" + " --name late", "without a file"},
      {"list " + dir / "cut.snd", "past the end"},
      {"list " + dir / "nothing.snd", "nothing.snd"},
      {"extract " + dir / "evil.snd" + " " + dir / "out", "evil.ogg"},
      {"extract " + dir / "cut.snd" + " " + dir / "no-such-dir", "not a directory"},
      {"frobnicate", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    ToolRun run = Sndpack(c.args);
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.out.find(c.says), std::string::npos) << run.out;
  }
  // A failed create leaves no half archive.
  EXPECT_FALSE(Exists(dir / "x.snd"));
  EXPECT_FALSE(Exists(dir / "evil.ogg"));
}

}  // namespace
}  // namespace cdsetup::sndpack
