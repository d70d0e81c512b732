#include "copy/copy_engine.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "base/ascii.h"
#include "copy/audio_sound_converter.h"
#include "demo_medium/demo_medium.h"
#include "platform/create_directory_path.h"
#include "sndpack/sound_archive_writer.h"
#include "support/forwarding_platform.h"
#include "support/prefix_fixture.h"
#include "support/scoped_tmpfs.h"

namespace cdsetup::copy {
namespace {

using testing::Exists;
using testing::ReadFile;
using testing::WriteFile;

// "Kopiuję teraz plik" and "Błąd zapisu pliku" in code page 1250.
constexpr const char* kCopyingNow = "Kopiuj\xEA teraz plik";
constexpr const char* kWriteError =
    "B\xB3\xB9"
    "d zapisu pliku";

// Writes "wav:" and the input's bytes to the output, and remembers each call.
// The call numbered `fail_at` (from 0) fails as a full disk does.
class RecordingConverter : public SoundConverter {
 public:
  struct Call {
    std::uint32_t kind;
    std::string input;
    std::string output;
  };
  base::Status Convert(std::uint32_t kind, const std::string& input, const std::string& output,
                       const std::atomic<bool>&) override {
    calls.push_back({kind, input, output});
    if (static_cast<int>(calls.size()) - 1 == fail_at) {
      return base::Status::IoError("cannot write " + output);
    }
    WriteFile(output, "wav:" + ReadFile(input));
    return base::Status::Ok();
  }
  // Each conversion reports its input's bytes, on two lines.
  std::string TakeReport(const std::string& output) override {
    for (const Call& call : calls) {
      if (call.output == output)
        return "read " + std::to_string(ReadFile(output).size()) + "\r\n\ndone\n";
    }
    return std::string();
  }
  std::vector<Call> calls;
  int fail_at = -1;
};

class CopyEngineTest : public testing::PrefixFixture {
 protected:
  // The script: the texts, then `list` as the "std" section's body.
  void WriteScript(const std::string& list) {
    WriteFile(medium("install.ini"), std::string("[Polski]\nIDS_KOPIUJE_TERAZ_PLIK=") +
                                         kCopyingNow + "\nIDS_E_WRITEOFILE=" + kWriteError +
                                         "\n[std]\n" + list);
  }

  // The install sequence makes the target directory before the copy page starts.
  CopyEngine& Engine(platform::Platform* platform = nullptr) {
    EXPECT_TRUE(platform::CreateDirectoryPath(*platform_, target_).ok());
    script_ = std::make_unique<script::InstallScript>(platform ? *platform : *platform_,
                                                      "D:\\install.ini");
    engine_ = std::make_unique<CopyEngine>(script::LocalizedTexts(*script_, "Polski"), target_,
                                           converter_);
    engine_->Start();
    return *engine_;
  }

  // Steps until the engine ends; returns the result and counts the steps.
  StepResult Run(CopyEngine& engine, int* steps = nullptr) {
    int n = 0;
    for (;;) {
      ++n;
      StepResult r = engine.Step();
      if ((r != StepResult::kGoOn && r != StepResult::kWaiting) || n > 100000) {
        if (steps) *steps = n;
        return r;
      }
    }
  }

  void WriteArchive(const std::string& path, const std::string& bytes) {
    WriteFile(medium(path), bytes);
  }

  std::string target_ = "C:\\Games\\Foo";
  RecordingConverter converter_;
  std::unique_ptr<script::InstallScript> script_;
  std::unique_ptr<CopyEngine> engine_;
};

TEST_F(CopyEngineTest, NoFileCountEndsAtOnceWithNothingCopied) {
  WriteFile(medium("a.txt"), "a");
  for (const char* count : {"", "files=\n", "files=0\n", "files=-3\n", "files=abc\n"}) {
    SCOPED_TRACE(count);
    WriteScript(std::string(count) + "0=a.txt\n");
    CopyEngine& engine = Engine();
    EXPECT_EQ(engine.progress_range(), 0);
    EXPECT_EQ(engine.Step(), StepResult::kFinished);
    EXPECT_EQ(engine.error_text(), "");
    EXPECT_FALSE(Exists(c_drive("Games/Foo/a.txt")));
  }
}

TEST_F(CopyEngineTest, PlainFilesAreCopiedInKeyOrderWithTheBarFollowing) {
  WriteFile(medium("readme.txt"), "first");
  WriteFile(medium("DANE/Sub/PLIK.DAT"), "second");
  WriteFile(medium("game.exe"), "third");
  WriteScript("files=3\n0=ReadMe.txt\n1=Dane\\Sub\\Plik.dat\n2=game.exe\n");
  CopyEngine& engine = Engine();
  ASSERT_EQ(engine.progress_range(), 3);
  const char* sources[] = {"ReadMe.txt", "Dane\\Sub\\Plik.dat", "game.exe"};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    ASSERT_EQ(engine.Step(), StepResult::kGoOn) << engine.failure().ToString();
    EXPECT_EQ(engine.progress_position(), i + 1);
    EXPECT_EQ(engine.current_file_text(), std::string(kCopyingNow) + " " + sources[i]);
    EXPECT_EQ(engine.error_text(), std::string(kWriteError) + " " + sources[i]);
  }
  EXPECT_EQ(engine.Step(), StepResult::kFinished);
  // Target names keep the script's letter case.
  EXPECT_EQ(ReadFile(c_drive("Games/Foo/ReadMe.txt")), "first");
  EXPECT_EQ(ReadFile(c_drive("Games/Foo/Dane/Sub/Plik.dat")), "second");
  EXPECT_EQ(ReadFile(c_drive("Games/Foo/game.exe")), "third");
}

TEST_F(CopyEngineTest, TargetIsReadAtEveryStepAndMayEndInABackslash) {
  WriteFile(medium("a.txt"), "a");
  WriteFile(medium("d/b.txt"), "b");
  WriteScript("files=2\n0=a.txt\n1=d\\b.txt\n");
  CopyEngine& engine = Engine();
  target_ = "C:\\Gry\\";  // changed after construction, as the install sequence does
  ASSERT_TRUE(platform::CreateDirectoryPath(*platform_, target_).ok());
  EXPECT_EQ(Run(engine), StepResult::kFinished) << engine.failure().ToString();
  EXPECT_EQ(ReadFile(c_drive("Gry/a.txt")), "a");
  EXPECT_EQ(ReadFile(c_drive("Gry/d/b.txt")), "b");
}

TEST_F(CopyEngineTest, ATargetFolderRemovedOrReplacedMidCopyEndsIt) {
  WriteFile(medium("a.txt"), "a");
  WriteFile(medium("d/b.txt"), "b");
  WriteScript("files=2\n0=a.txt\n1=d\\b.txt\n");
  for (bool made_again : {false, true}) {
    SCOPED_TRACE(made_again ? "replaced" : "removed");
    CopyEngine& engine = Engine();
    ASSERT_EQ(engine.Step(), StepResult::kGoOn);
    if (made_again) {
      std::filesystem::rename(c_drive("Games/Foo"), c_drive("Games/Old"));
      std::filesystem::create_directories(c_drive("Games/Foo"));
    } else {
      std::filesystem::remove_all(c_drive("Games/Foo"));
    }
    EXPECT_EQ(engine.Step(), StepResult::kFailed);
    EXPECT_EQ(engine.error_text(), std::string(kWriteError) + " d\\b.txt");
    EXPECT_NE(engine.failure().ToString().find("removed or replaced"), std::string::npos);
    EXPECT_FALSE(Exists(c_drive("Games/Foo/d")));
  }
}

TEST_F(CopyEngineTest, ReadOnlyTargetIsOverwrittenAndMadeWritable) {
  WriteFile(medium("a.txt"), "new");
  ::chmod(medium("a.txt").c_str(), 0444);  // as files on a CD come
  WriteFile(c_drive("Games/Foo/a.txt"), "old");
  ::chmod(c_drive("Games/Foo/a.txt").c_str(), 0444);
  WriteScript("files=1\n0=a.txt\n");
  EXPECT_EQ(Run(Engine()), StepResult::kFinished);
  EXPECT_EQ(ReadFile(c_drive("Games/Foo/a.txt")), "new");
  EXPECT_FALSE(platform_->GetFileInfo("C:\\Games\\Foo\\a.txt")->is_read_only);
}

TEST_F(CopyEngineTest, FailedCopyEndsWithTheErrorTextAfterFinishingItsStep) {
  WriteFile(medium("a.txt"), "a");
  WriteScript("files=3\n0=a.txt\n1=missing.dat\n2=a.txt\n");
  CopyEngine& engine = Engine();
  ASSERT_EQ(engine.Step(), StepResult::kGoOn);
  EXPECT_EQ(engine.Step(), StepResult::kFailed);
  EXPECT_EQ(engine.error_text(), std::string(kWriteError) + " missing.dat");
  EXPECT_EQ(engine.next_index(), 2);
  EXPECT_EQ(engine.progress_position(), 2);
  EXPECT_TRUE(Exists(c_drive("Games/Foo/a.txt")));

  // A key missing from the list is an empty name, which cannot be copied.
  WriteScript("files=1\n");
  EXPECT_EQ(Run(Engine()), StepResult::kFailed);
}

TEST_F(CopyEngineTest, OverlongTextsAreCutAndOverlongPathsRefused) {
  // C:\Games\Foo\ and 246 characters are the longest path that fits.
  const std::string fits(246, 'f');
  WriteFile(medium(fits), "x");
  WriteScript("files=1\n0=" + fits + "\n");
  EXPECT_EQ(Run(Engine()), StepResult::kFinished);
  EXPECT_TRUE(Exists(c_drive("Games/Foo/" + fits)));

  std::string name(250, 'n');
  WriteFile(medium(name), "x");
  WriteScript("files=1\n0=" + name + "\n");
  CopyEngine& engine = Engine();
  EXPECT_EQ(engine.Step(), StepResult::kFailed);
  EXPECT_TRUE(engine.failure().IsRefused()) << engine.failure().ToString();
  EXPECT_EQ(engine.error_text().size(), 259u);
  EXPECT_EQ(engine.current_file_text().size(), 259u);
  EXPECT_EQ(engine.error_text().substr(0, std::strlen(kWriteError)), kWriteError);
}

TEST_F(CopyEngineTest, ListEntriesThatLeaveTheMediumOrTheTargetAreRefused) {
  // ".." never climbs above the medium's root, so these all find its Poza.txt;
  // the copy of it would land beside or above the target.
  WriteFile(medium("Dane/a.txt"), "a");
  WriteFile(medium("Poza.txt"), "outside");
  for (const char* entry :
       {"..\\Poza.txt", "Dane\\..\\..\\..\\Poza.txt", "Dane/../../Poza.txt", "\\Poza.txt",
        "D:\\Dane\\a.txt", "C:Poza.txt", "..", "Dane\\a\x01.txt"}) {
    SCOPED_TRACE(entry);
    WriteScript(std::string("files=2\n0=Dane\\a.txt\n1=") + entry + "\n");
    CopyEngine& engine = Engine();
    EXPECT_EQ(engine.Step(), StepResult::kGoOn);
    EXPECT_EQ(engine.Step(), StepResult::kFailed);
    EXPECT_TRUE(engine.failure().IsRefused()) << engine.failure().ToString();
    EXPECT_EQ(engine.error_text(), std::string(kWriteError) + " " + entry);
    EXPECT_EQ(engine.next_index(), 2);
    EXPECT_EQ(ReadFile(c_drive("Games/Foo/Dane/a.txt")), "a");  // the one before is intact
    EXPECT_FALSE(Exists(c_drive("Poza.txt")));
    EXPECT_FALSE(Exists(c_drive("Games/Poza.txt")));
    EXPECT_FALSE(Exists(c_drive("Games/Foo/Poza.txt")));
  }
  // ".." inside a name is no component of its own.
  WriteFile(medium("a..b.txt"), "ab");
  WriteScript("files=1\n0=a..b.txt\n");
  EXPECT_EQ(Run(Engine()), StepResult::kFinished);
  EXPECT_EQ(ReadFile(c_drive("Games/Foo/a..b.txt")), "ab");
}

using CopyEngineArchiveTest = CopyEngineTest;

TEST_F(CopyEngineArchiveTest, EntriesBecomeWavFilesInTheArchiveDirectory) {
  using sndpack::EntryBytes;
  WriteArchive("Dane/Mowa.snd", EntryBytes(0, "Intro.OGG", "vorbis-data") +
                                    EntryBytes(1,
                                               "\xA3\xD3"
                                               "D\x8F.SPX",
                                               "speex-data") +
                                    EntryBytes(2, "notes.txt", "skipped"));
  WriteFile(medium("after.txt"), "after");
  WriteScript("files=2\n0=DANE\\MOWA.SND\n1=after.txt\n");
  CopyEngine& engine = Engine();

  ASSERT_EQ(engine.Step(), StepResult::kGoOn);  // opens the archive
  EXPECT_TRUE(engine.unpacking());
  EXPECT_EQ(engine.error_text(), std::string(kWriteError) + " DANE\\MOWA.SND");
  // The bar jumps by the runtime's unseeded rand(): 41, 18467, 6334, ... mod 2.
  const int jumps[] = {41 % 2, 18467 % 2, 6334 % 2};
  const char* shown[] = {"intro.wav",
                         "\xB3\xF3"
                         "d\x9F.wav",
                         "notes.txt"};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    ASSERT_EQ(engine.Step(), StepResult::kGoOn) << engine.failure().ToString();
    EXPECT_EQ(engine.progress_position(), jumps[i]);
    EXPECT_EQ(engine.current_file_text(), std::string(kCopyingNow) + " " + shown[i]);
    EXPECT_EQ(engine.next_index(), 0);
  }
  ASSERT_EQ(engine.Step(), StepResult::kGoOn);  // closes it
  EXPECT_FALSE(engine.unpacking());
  EXPECT_EQ(engine.next_index(), 1);
  EXPECT_EQ(Run(engine), StepResult::kFinished);

  // The lower-cased archive directory finds the "DANE" the copy step made.
  ASSERT_EQ(converter_.calls.size(), 2u);
  EXPECT_EQ(converter_.calls[0].kind, 0u);
  EXPECT_EQ(converter_.calls[1].kind, 1u);
  for (const auto& call : converter_.calls) {
    // Both sides go by names of the copy's own, beside the WAV they make.
    EXPECT_EQ(call.input.rfind(c_drive("Games/Foo/DANE/~cdsetup."), 0), 0u) << call.input;
    EXPECT_EQ(call.output.rfind(c_drive("Games/Foo/DANE/~cdsetup."), 0), 0u) << call.output;
    EXPECT_TRUE(call.output.ends_with(".wav")) << call.output;
  }
  EXPECT_EQ(ReadFile(c_drive("Games/Foo/DANE/intro.wav")), "wav:vorbis-data");
  // What each conversion reported, a line each, led by its sound's name.
  EXPECT_EQ(engine.TakeNotes(), (std::vector<std::string>{"intro.wav: read 15", "intro.wav: done",
                                                          "\xB3\xF3"
                                                          "d\x9F.wav: read 14",
                                                          "\xB3\xF3"
                                                          "d\x9F.wav: done"}));
  EXPECT_TRUE(engine.TakeNotes().empty());
  // The output name is lowered through the code page: "łódź.wav" in UTF-8 on the host.
  EXPECT_EQ(ReadFile(c_drive("Games/Foo/DANE/\xC5\x82\xC3\xB3"
                             "d\xC5\xBA.wav")),
            "wav:speex-data");
  auto left = platform_->FindFiles("C:\\Games\\Foo\\dane\\*");
  ASSERT_TRUE(left.ok());
  std::vector<std::string> names;
  for (const auto& f : left.value())
    if (!f.is_directory) names.push_back(f.name);
  EXPECT_EQ(names, (std::vector<std::string>{"intro.wav",
                                             "\xB3\xF3"
                                             "d\x9F.wav"}));
}

TEST_F(CopyEngineArchiveTest, ArchiveOfKEntriesTakesKPlusTwoSteps) {
  using sndpack::EntryBytes;
  for (int k : {0, 1, 4}) {
    SCOPED_TRACE(k);
    std::string bytes;
    for (int i = 0; i < k; ++i) bytes += EntryBytes(0, "e" + std::to_string(i) + ".ogg", "d");
    WriteArchive("m.snd", bytes);
    WriteScript("files=1\n0=m.snd\n");
    int steps = 0;
    EXPECT_EQ(Run(Engine(), &steps), StepResult::kFinished);
    EXPECT_EQ(steps, k + 2 + 1);  // and one more that finds the list done
  }
}

TEST_F(CopyEngineArchiveTest, ClosingMidArchiveStopsUnpacking) {
  WriteArchive("m.snd",
               sndpack::EntryBytes(0, "a.ogg", "1") + sndpack::EntryBytes(0, "b.ogg", "2"));
  WriteScript("files=1\n0=m.snd\n");
  CopyEngine& engine = Engine();
  ASSERT_EQ(engine.Step(), StepResult::kGoOn);
  ASSERT_EQ(engine.Step(), StepResult::kGoOn);
  engine.Close();
  EXPECT_FALSE(engine.unpacking());
  EXPECT_EQ(converter_.calls.size(), 1u);
  EXPECT_EQ(engine.error_text(), std::string(kWriteError) + " m.snd");
}

TEST_F(CopyEngineArchiveTest, BadArchivesEndTheCopyAndWriteNothingOutside) {
  using sndpack::EntryBytes;
  using sndpack::RawHeader;
  struct Case {
    const char* what;
    std::string bytes;
    base::Status::Kind kind;
  } cases[] = {
      {"separator", EntryBytes(0, "..\\..\\evil.ogg", "x"), base::Status::Kind::kRefused},
      {"slash", EntryBytes(0, "../evil.ogg", "x"), base::Status::Kind::kRefused},
      {"drive", EntryBytes(0, "c:evil.ogg", "x"), base::Status::Kind::kRefused},
      {"dot dot", EntryBytes(2, "..", "x"), base::Status::Kind::kRefused},
      {"control", EntryBytes(0, "ev\x01il.ogg", "x"), base::Status::Kind::kRefused},
      {"empty name", EntryBytes(0, "", "x"), base::Status::Kind::kRefused},
      {"no extension of its kind", EntryBytes(0, "music.spx", "x"), base::Status::Kind::kRefused},
      {"name of 260", RawHeader(0, 0, 260) + std::string(260, 'a'), base::Status::Kind::kCorrupt},
      {"truncated", EntryBytes(0, "a.ogg", "x") + RawHeader(0, 100, 5) + "b.ogg" + "short",
       base::Status::Kind::kCorrupt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    converter_.calls.clear();
    WriteArchive("Dane/m.snd", c.bytes);
    WriteScript("files=1\n0=Dane\\m.snd\n");
    CopyEngine& engine = Engine();
    EXPECT_EQ(Run(engine), StepResult::kFailed);
    EXPECT_EQ(engine.failure().kind(), c.kind) << engine.failure().ToString();
    EXPECT_EQ(engine.error_text(), std::string(kWriteError) + " Dane\\m.snd");
    EXPECT_FALSE(Exists(c_drive("evil.ogg")));
    EXPECT_FALSE(Exists(c_drive("Games/evil.ogg")));
    EXPECT_FALSE(Exists(c_drive("Games/Foo/DANE/music.spx")));
  }
}

TEST_F(CopyEngineArchiveTest, MissingArchiveFails) {
  WriteScript("files=1\n0=gone.snd\n");
  CopyEngine& engine = Engine();
  EXPECT_EQ(engine.Step(), StepResult::kFailed);
  EXPECT_FALSE(engine.unpacking());
  EXPECT_EQ(engine.error_text(), std::string(kWriteError) + " gone.snd");
}

// Files written through this platform take at most `budget` bytes in all, as
// on a disk that fills up; plain copies fail once the budget is spent.
class FillingDisk : public testing::ForwardingPlatform {
 public:
  FillingDisk(platform::Platform& inner, std::size_t budget)
      : ForwardingPlatform(inner), budget_(budget) {}

  base::Status CopyFileA(std::string_view from, std::string_view to, bool e) override {
    auto info = GetFileInfo(from);
    if (info.ok() && info.value().size > budget_) {
      // What fits lands before the disk is full, as a real copy leaves it.
      if (ForwardingPlatform::CopyFileA(from, to, e).ok()) {
        auto host = HostPath(to);
        if (host.ok()) (void)::truncate(host.value().c_str(), static_cast<off_t>(budget_));
      }
      budget_ = 0;
      return base::Status::IoError("no space left on device");
    }
    if (info.ok()) budget_ -= info.value().size;
    return ForwardingPlatform::CopyFileA(from, to, e);
  }

  base::Result<platform::FilePtr> OpenFile(std::string_view path, const char* mode) override {
    if (mode[0] != 'w') return ForwardingPlatform::OpenFile(path, mode);
    auto host = HostPath(path);
    if (!host.ok()) return host.status();
    cookie_file_ = std::fopen(host.value().c_str(), mode);
    if (!cookie_file_) return base::Status::IoError("cannot create");
    cookie_io_functions_t io{};
    io.write = [](void* self, const char* buf, std::size_t n) -> ssize_t {
      auto* disk = static_cast<FillingDisk*>(self);
      if (n > disk->budget_) {
        errno = ENOSPC;
        return -1;
      }
      disk->budget_ -= n;
      return static_cast<ssize_t>(std::fwrite(buf, 1, n, disk->cookie_file_));
    };
    io.close = [](void* self) {
      auto* disk = static_cast<FillingDisk*>(self);
      int r = std::fclose(disk->cookie_file_);
      disk->cookie_file_ = nullptr;
      return r;
    };
    return platform::FilePtr(fopencookie(this, mode, io));
  }

 private:
  std::size_t budget_;
  std::FILE* cookie_file_ = nullptr;
};

TEST_F(CopyEngineTest, FilesThatAreNoFilesOrLeaveTheMediumAreRefusedWithoutWaiting) {
  // A pipe would wait for a writer for good; a device never ends; a link
  // would read the host's own files.
  ASSERT_EQ(::mkfifo(medium("pipe.dat").c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo(medium("pipe.snd").c_str(), 0600), 0);
  ASSERT_EQ(::symlink("/dev/zero", medium("zero.snd").c_str()), 0);
  WriteFile(c_drive("host/secret.txt"), "secret");
  ASSERT_EQ(::symlink(c_drive("host/secret.txt").c_str(), medium("secret.txt").c_str()), 0);
  ASSERT_EQ(::symlink(c_drive("host").c_str(), medium("host").c_str()), 0);
  const struct {
    const char* source;
    const char* why;
  } kCases[] = {{"pipe.dat", "not a regular file"},
                {"pipe.snd", "not a regular file"},
                {"zero.snd", "out of the CD"},
                {"secret.txt", "out of the CD"},
                {"host\\secret.txt", "out of the CD"}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.source);
    WriteScript(std::string("files=1\n0=") + c.source + "\n");
    CopyEngine& engine = Engine();
    EXPECT_EQ(Run(engine), StepResult::kFailed);
    EXPECT_TRUE(engine.failure().IsRefused()) << engine.failure().ToString();
    EXPECT_NE(engine.failure().message().find(c.why), std::string::npos)
        << engine.failure().ToString();
    EXPECT_EQ(engine.error_text(), std::string(kWriteError) + " " + c.source);
    EXPECT_FALSE(Exists(c_drive("Games/Foo/secret.txt")));
  }
  // A link that stays on the medium is read as the file it names.
  WriteFile(medium("real.txt"), "real");
  ASSERT_EQ(::symlink("real.txt", medium("alias.txt").c_str()), 0);
  WriteScript("files=1\n0=alias.txt\n");
  EXPECT_EQ(Run(Engine()), StepResult::kFinished);
  EXPECT_EQ(ReadFile(c_drive("Games/Foo/alias.txt")), "real");
}

TEST_F(CopyEngineTest, DiskFullMidFileFailsNamingItAndKeepsEarlierFiles) {
  WriteFile(medium("small1.dat"), std::string(1000, '1'));
  WriteFile(medium("small2.dat"), std::string(1000, '2'));
  WriteFile(medium("big.dat"), std::string(100000, 'b'));
  WriteScript("files=3\n0=small1.dat\n1=small2.dat\n2=big.dat\n");
  FillingDisk disk(*platform_, 50000);
  CopyEngine& engine = Engine(&disk);
  EXPECT_EQ(Run(engine), StepResult::kFailed);
  EXPECT_TRUE(engine.failure().IsIoError());
  EXPECT_EQ(engine.error_text(), std::string(kWriteError) + " big.dat");
  EXPECT_EQ(ReadFile(c_drive("Games/Foo/small1.dat")), std::string(1000, '1'));
  EXPECT_EQ(ReadFile(c_drive("Games/Foo/small2.dat")), std::string(1000, '2'));
}

TEST_F(CopyEngineArchiveTest, DiskFullWhileWritingAnEntryFailsAndLeavesNoTemporaryFile) {
  WriteArchive("m.snd", sndpack::EntryBytes(0, "a.ogg", "small") +
                            sndpack::EntryBytes(0, "big.ogg", std::string(600 * 1024, 'v')));
  WriteScript("files=1\n0=m.snd\n");
  FillingDisk disk(*platform_, 300 * 1024);
  CopyEngine& engine = Engine(&disk);
  EXPECT_EQ(Run(engine), StepResult::kFailed);
  EXPECT_TRUE(engine.failure().IsIoError()) << engine.failure().ToString();
  EXPECT_EQ(engine.error_text(), std::string(kWriteError) + " m.snd");
  EXPECT_EQ(ReadFile(c_drive("Games/Foo/a.wav")), "wav:small");
  EXPECT_FALSE(Exists(c_drive("Games/Foo/big.ogg")));
}

TEST_F(CopyEngineArchiveTest, AWavThatCannotBeWrittenEndsTheCopyNamingIt) {
  using sndpack::EntryBytes;
  WriteArchive("Dane/Mowa.snd", EntryBytes(0, "A.ogg", "1") + EntryBytes(1, "B.spx", "2") +
                                    EntryBytes(0, "C.ogg", "3"));
  WriteFile(medium("before.txt"), "before");
  WriteFile(medium("after.txt"), "after");
  WriteScript("files=3\n0=before.txt\n1=Dane\\Mowa.snd\n2=after.txt\n");
  converter_.fail_at = 1;
  CopyEngine& engine = Engine();
  EXPECT_EQ(Run(engine), StepResult::kFailed);
  EXPECT_TRUE(engine.failure().IsIoError()) << engine.failure().ToString();
  EXPECT_EQ(engine.error_text(), std::string(kWriteError) + " dane\\b.wav");
  EXPECT_EQ(converter_.calls.size(), 2u);  // nothing after the failure
  EXPECT_EQ(ReadFile(c_drive("Games/Foo/before.txt")), "before");
  EXPECT_EQ(ReadFile(c_drive("Games/Foo/Dane/a.wav")), "wav:1");
  EXPECT_FALSE(Exists(c_drive("Games/Foo/Dane/B.spx")));  // the compressed entry is gone
  EXPECT_FALSE(Exists(c_drive("Games/Foo/Dane/C.ogg")));
  EXPECT_FALSE(Exists(c_drive("Games/Foo/after.txt")));
}

// Converts as the recording converter does, but the entries named in `held`
// wait until let go (or stopped); the others convert at once. Thread-safe.
class HeldConverter : public SoundConverter {
 public:
  base::Status Convert(std::uint32_t kind, const std::string& input, const std::string& output,
                       const std::atomic<bool>& stop) override {
    // The copy writes under names of its own: an entry's bytes ("A") name it.
    const std::string name = base::ToLowerAscii(ReadFile(input)) + ".wav";
    // As the audio converters do: the output is made at once, and a stopped
    // conversion removes it.
    WriteFile(output, "");
    {
      std::unique_lock lock(mutex_);
      started.push_back(name);
      changed_.notify_all();
      // The engine's stop flag is not ours to be woken by: look at it often.
      while (held.count(name) && !stop) changed_.wait_for(lock, std::chrono::milliseconds(2));
      if (stop && held.count(name)) {
        std::filesystem::remove(output);
        return base::Status::Cancelled("stopped");
      }
    }
    if (name == failing) return base::Status::IoError("cannot write " + output);
    WriteFile(output, std::to_string(kind) + ":" + ReadFile(input));
    return base::Status::Ok();
  }
  void Release(const std::string& name) {
    std::lock_guard lock(mutex_);
    held.erase(name);
    changed_.notify_all();
  }
  // Waits until `name`'s conversion has begun.
  void AwaitStart(const std::string& name) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock,
                  [&] { return std::find(started.begin(), started.end(), name) != started.end(); });
  }
  std::set<std::string> held;
  std::string failing;
  std::vector<std::string> started;

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
};

class CopyEngineConcurrencyTest : public CopyEngineTest {
 protected:
  void SetUp() override {
    CopyEngineTest::SetUp();
    WriteArchive("Dane/m.snd", sndpack::EntryBytes(0, "a.ogg", "A") +
                                   sndpack::EntryBytes(1, "b.spx", "B") +
                                   sndpack::EntryBytes(0, "c.ogg", "C"));
    WriteFile(medium("x.txt"), "x");
    WriteFile(medium("y.txt"), "y");
    WriteScript("files=3\n0=Dane\\m.snd\n1=x.txt\n2=y.txt\n");
  }
  CopyEngine& Threaded() {
    EXPECT_TRUE(platform::CreateDirectoryPath(*platform_, target_).ok());
    script_ = std::make_unique<script::InstallScript>(*platform_, "D:\\install.ini");
    engine_ =
        std::make_unique<CopyEngine>(script::LocalizedTexts(*script_, "Polski"), target_, held_, 2);
    engine_->Start();
    return *engine_;
  }
  // Steps until the list's last file is copied.
  void StepPastTheList(CopyEngine& engine) {
    while (!Exists(c_drive("Games/Foo/y.txt"))) ASSERT_NE(engine.Step(), StepResult::kFailed);
  }
  HeldConverter held_;
};

TEST_F(CopyEngineConcurrencyTest, TheCopyGoesOnWhileAnEntryConvertsAndWaitsForItAtTheEnd) {
  held_.held = {"a.wav"};
  CopyEngine& engine = Threaded();
  StepPastTheList(engine);  // the plain files after the archive are copied meanwhile
  EXPECT_FALSE(Exists(c_drive("Games/Foo/Dane/a.wav")));
  EXPECT_EQ(engine.Step(), StepResult::kWaiting);
  held_.Release("a.wav");
  EXPECT_EQ(Run(engine), StepResult::kFinished);
  // The same tree as one step at a time gives.
  EXPECT_EQ(ReadFile(c_drive("Games/Foo/Dane/a.wav")), "0:A");
  EXPECT_EQ(ReadFile(c_drive("Games/Foo/Dane/b.wav")), "1:B");
  EXPECT_EQ(ReadFile(c_drive("Games/Foo/Dane/c.wav")), "0:C");
  for (const char* temp : {"a.ogg", "b.spx", "c.ogg"}) {
    EXPECT_FALSE(Exists(c_drive("Games/Foo/Dane/") + temp)) << temp;
  }
}

TEST_F(CopyEngineConcurrencyTest, AFailureBesideLaterStepsEndsTheCopyNamingItsEntry) {
  held_.held = {"b.wav"};
  held_.failing = "b.wav";
  CopyEngine& engine = Threaded();
  StepPastTheList(engine);
  held_.Release("b.wav");
  EXPECT_EQ(Run(engine), StepResult::kFailed);
  EXPECT_EQ(engine.error_text(), std::string(kWriteError) + " dane\\b.wav");
  EXPECT_TRUE(engine.failure().IsIoError());
  EXPECT_FALSE(Exists(c_drive("Games/Foo/Dane/b.wav")));
  EXPECT_FALSE(Exists(c_drive("Games/Foo/Dane/b.spx")));
}

TEST_F(CopyEngineConcurrencyTest, AnAbortStopsTheConversionsInFlightAndLeavesNoEntryBehind) {
  held_.held = {"a.wav", "b.wav"};
  CopyEngine& engine = Threaded();
  ASSERT_EQ(engine.Step(), StepResult::kGoOn);  // opens the archive
  ASSERT_EQ(engine.Step(), StepResult::kGoOn);  // a
  ASSERT_EQ(engine.Step(), StepResult::kGoOn);  // b
  held_.AwaitStart("a.wav");
  held_.AwaitStart("b.wav");
  // c waits for a worker; the page shows the last entry reached.
  ASSERT_EQ(engine.Step(), StepResult::kGoOn);
  EXPECT_EQ(engine.current_file_text(), std::string(kCopyingNow) + " c.wav");
  engine.Close();  // what the page does when the user aborts
  for (const char* name : {"a.wav", "b.wav", "c.wav", "a.ogg", "b.spx", "c.ogg"}) {
    EXPECT_FALSE(Exists(c_drive("Games/Foo/Dane/") + name)) << name;
  }
  EXPECT_EQ(std::count(held_.started.begin(), held_.started.end(), "c.wav"), 0);
}

TEST_F(CopyEngineConcurrencyTest, AnAbortOverAnEarlierInstallationKeepsEveryFileItHad) {
  CopyEngine& first = Threaded();
  ASSERT_EQ(Run(first), StepResult::kFinished);
  const auto before = testing::FilesWithBytes(c_drive("Games/Foo"));
  ASSERT_EQ(before.size(), 5u);
  // The medium changed since: the files the second run copies are new.
  WriteFile(medium("x.txt"), "x, second");
  held_.held = {"a.wav", "b.wav"};
  CopyEngine& second = Threaded();
  ASSERT_EQ(second.Step(), StepResult::kGoOn);  // opens the archive
  ASSERT_EQ(second.Step(), StepResult::kGoOn);  // a
  ASSERT_EQ(second.Step(), StepResult::kGoOn);  // b
  held_.AwaitStart("a.wav");
  held_.AwaitStart("b.wav");
  second.Close();  // the abort, while both convert
  EXPECT_TRUE(testing::FilesWithBytes(c_drive("Games/Foo")) == before)
      << "a file of the first installation changed or went";
}

TEST_F(CopyEngineConcurrencyTest, EntriesThatMakeOneWavLeaveTheLaterOnesWhole) {
  // Three entries of one archive, and a second archive, all make x.wav.
  WriteArchive("Dane/m.snd", sndpack::EntryBytes(0, "x.ogg", "1") +
                                 sndpack::EntryBytes(0, "X.OGG", "2") +
                                 sndpack::EntryBytes(1, "x.spx", "3"));
  WriteArchive("Dane/n.snd", sndpack::EntryBytes(0, "x.ogg", "4"));
  WriteFile(medium("Dane/x.ogg"), "plain");
  WriteScript("files=3\n0=Dane\\x.ogg\n1=Dane\\m.snd\n2=Dane\\n.snd\n");
  for (int run = 0; run < 100; ++run) {
    SCOPED_TRACE(run);
    CopyEngine& engine = Threaded();
    ASSERT_EQ(Run(engine), StepResult::kFinished) << engine.failure().ToString();
    // The entry named like a plain file of the list leaves that file alone.
    EXPECT_EQ(ReadFile(c_drive("Games/Foo/Dane/x.ogg")), "plain");
    EXPECT_EQ(ReadFile(c_drive("Games/Foo/Dane/x.wav")), "0:4");
    std::vector<std::string> left;
    for (const auto& e : std::filesystem::directory_iterator(c_drive("Games/Foo/Dane"))) {
      left.push_back(e.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"x.ogg", "x.wav"}));
  }
}

TEST_F(CopyEngineConcurrencyTest, ConvertingBesideTheCopyGivesTheTreeOfOneStepAtATime) {
  ASSERT_TRUE(demo::BuildDemoMedium(medium(), demo::DemoOptions{30, 0.4}).ok());
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> quiet(std::fopen("/dev/null", "w"), &std::fclose);
  AudioSoundConverter audio(audio::AudioDiagnostics{quiet.get(), quiet.get()});
  auto install = [&](const std::string& target, int workers) {
    EXPECT_TRUE(platform::CreateDirectoryPath(*platform_, target).ok());
    script::InstallScript script(*platform_, "D:\\install.ini");
    CopyEngine engine(script::LocalizedTexts(script, "Polski"), target, audio, workers);
    engine.SetInstallType("max");
    engine.Start();
    EXPECT_EQ(Run(engine), StepResult::kFinished) << engine.failure().ToString();
  };
  install("C:\\Jeden", 0);
  install("C:\\Dwa", 2);
  const auto one = testing::FilesWithBytes(c_drive("Jeden"));
  const auto two = testing::FilesWithBytes(c_drive("Dwa"));
  EXPECT_GT(one.size(), 30u);
  EXPECT_TRUE(one.count("Muzyka/temat.wav"));
  EXPECT_TRUE(one == two) << "the trees differ";
}

// The same on a real, small file system, where the test may mount one.
TEST_F(CopyEngineTest, DiskFullOnASmallTmpfs) {
  const testing::ScopedTmpfs games(c_drive("Games"), "256k");
  if (!games.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
  WriteFile(medium("small.dat"), std::string(4096, 's'));
  WriteFile(medium("big.dat"), std::string(1024 * 1024, 'b'));
  WriteArchive("m.snd", sndpack::EntryBytes(0, "big.ogg", std::string(1024 * 1024, 'v')));
  WriteScript("files=3\n0=small.dat\n1=big.dat\n2=m.snd\n");
  CopyEngine& engine = Engine();
  EXPECT_EQ(Run(engine), StepResult::kFailed);
  EXPECT_EQ(engine.error_text(), std::string(kWriteError) + " big.dat");
  EXPECT_EQ(ReadFile(c_drive("Games/Foo/small.dat")), std::string(4096, 's'));

  // The archive's entry on the same full disk.
  EXPECT_FALSE(Exists(c_drive("Games/Foo/big.dat")));  // no partial copy is left
  WriteScript("files=2\n0=small.dat\n1=m.snd\n");
  WriteFile(medium("small.dat"), std::string(200 * 1024, 's'));
  CopyEngine& again = Engine();
  EXPECT_EQ(Run(again), StepResult::kFailed);
  EXPECT_EQ(again.error_text(), std::string(kWriteError) + " m.snd");
  EXPECT_FALSE(Exists(c_drive("Games/Foo/big.ogg")));
}

}  // namespace
}  // namespace cdsetup::copy
