// File services of the prefix platform on real files.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "support/prefix_fixture.h"

namespace cdsetup::platform {
namespace {

using testing::Exists;
using testing::MakeDirs;
using testing::PrefixFixture;
using testing::ReadFile;
using testing::WriteFile;

using PrefixFiles = PrefixFixture;

TEST_F(PrefixFiles, ReadOnlyCopyIsReplacedAndMadeWritable) {
  WriteFile(medium("install.ini"), "[Option]\r\n");
  ::chmod(medium("install.ini").c_str(), 0444);
  ASSERT_TRUE(platform_->CopyFileA("install.ini", "C:\\install.ini").ok());
  auto info = platform_->GetFileInfo("C:\\install.ini");
  ASSERT_TRUE(info.ok());
  EXPECT_TRUE(info->is_read_only);
  // A second copy replaces the read-only file.
  EXPECT_TRUE(platform_->CopyFileA("install.ini", "C:\\install.ini").ok());
  ASSERT_TRUE(platform_->SetFileAttributesArchive("C:\\install.ini").ok());
  EXPECT_FALSE(platform_->GetFileInfo("C:\\install.ini")->is_read_only);
  EXPECT_TRUE(platform_->SetFileAttributesArchive("C:\\nothing.ini").IsNotFound());
}

// A copy over a file that is there replaces it only when whole: a write that
// fails midway (a file size limit stands in for a full disk) leaves the old
// file and nothing beside it.
TEST_F(PrefixFiles, ACopyThatFailsMidwayLeavesTheOldFile) {
  WriteFile(medium("big.dat"), std::string(64 * 1024, 'n'));
  WriteFile(c_drive("big.dat"), "old");
  ::chmod(c_drive("big.dat").c_str(), 0444);  // as a copy from the CD leaves it
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const base::Status copied = platform_->CopyFileA("big.dat", "C:\\big.dat");
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &saved), 0);
  EXPECT_FALSE(copied.ok());
  EXPECT_EQ(ReadFile(c_drive("big.dat")), "old");
  std::vector<std::string> left;
  for (const auto& e : std::filesystem::directory_iterator(c_drive())) {
    left.push_back(e.path().filename().string());
  }
  EXPECT_EQ(std::count(left.begin(), left.end(), "big.dat"), 1);
  EXPECT_TRUE(std::none_of(left.begin(), left.end(),
                           [](const std::string& n) { return n.starts_with(".big.dat"); }));
  // Without the limit the same copy replaces it, read-only as it is.
  ASSERT_TRUE(platform_->CopyFileA("big.dat", "C:\\big.dat").ok());
  EXPECT_EQ(ReadFile(c_drive("big.dat")), std::string(64 * 1024, 'n'));
}

// The rest of what directories answer is in the platform-contract suite.
TEST_F(PrefixFiles, ADriveRootIsADirectoryThatExists) {
  EXPECT_TRUE(platform_->CreateDirectoryA("C:\\").IsAlreadyExists());
  EXPECT_TRUE(platform_->CreateDirectoryA("D:\\").IsAlreadyExists());
}

TEST_F(PrefixFiles, FindFilesListsDirectoriesAndHiddenNames) {
  MakeDirs(c_drive("G/Sub"));
  MakeDirs(c_drive("G/.config"));
  WriteFile(c_drive("G/readme.txt"), "r");
  WriteFile(c_drive("G/Setup.EXE"), "s");
  auto all = platform_->FindFiles("C:\\g\\*.*");
  ASSERT_TRUE(all.ok());
  std::vector<std::string> names;
  for (const FindData& f : *all)
    names.push_back(f.name + (f.is_directory ? "/" : "") + (f.is_hidden ? "(h)" : ""));
  EXPECT_EQ(names, (std::vector<std::string>{"./", "../", ".config/(h)", "readme.txt", "Setup.EXE",
                                             "Sub/"}));
  auto exe = platform_->FindFiles("C:\\G\\*.exe");
  ASSERT_TRUE(exe.ok());
  ASSERT_EQ(exe->size(), 1u);
  EXPECT_EQ((*exe)[0].name, "Setup.EXE");
  // A plain name finds that one entry under its real name; the root has no dots.
  auto one = platform_->FindFiles("C:\\g\\SUB");
  ASSERT_TRUE(one.ok());
  EXPECT_EQ((*one)[0].name, "Sub");
  EXPECT_TRUE((*one)[0].is_directory);
  auto root = platform_->FindFiles("C:\\*", 1);
  ASSERT_TRUE(root.ok());
  ASSERT_EQ(root->size(), 1u);
  EXPECT_NE((*root)[0].name, ".");
  EXPECT_TRUE(platform_->FindFiles("C:\\G\\*.none").status().IsNotFound());
  EXPECT_TRUE(platform_->FindFiles("C:\\missing\\*").status().IsNotFound());
}

TEST_F(PrefixFiles, StreamsOpenByWindowsPath) {
  {
    auto f = platform_->OpenFile("C:\\out.bin", "wb");
    ASSERT_TRUE(f.ok());
    std::fputs("data", f->get());
  }
  EXPECT_EQ(ReadFile(c_drive("out.bin")), "data");
  EXPECT_TRUE(platform_->OpenFile("C:\\missing\\x.bin", "wb").status().IsNotFound());
  EXPECT_TRUE(platform_->OpenFile("C:\\", "rb").status().IsRefused());
}

TEST_F(PrefixFiles, ProfileStringsThroughThePlatform) {
  WriteFile(c_drive("install.ini"), "[Option]\r\nPROGRAM_NAME=Gra\r\n");
  ASSERT_TRUE(platform_->SetCurrentDirectoryA("C:\\").ok());
  std::array<char, 260> buf;
  EXPECT_EQ(platform_->GetPrivateProfileStringA("option", "program_name", "d", buf, "install.ini"),
            3u);
  EXPECT_STREQ(buf.data(), "Gra");
  EXPECT_EQ(platform_->GetPrivateProfileStringA("Option", "none", "dflt", buf, "install.ini"), 4u);
  EXPECT_STREQ(buf.data(), "dflt");
  EXPECT_EQ(platform_->GetPrivateProfileStringA("Option", "x", "dflt", buf, "missing.ini"), 4u);

  std::vector<platform::ProfileEntry> keys =
      platform_->GetPrivateProfileSectionA("OPTION", "install.ini");
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(keys[0].name, "PROGRAM_NAME");
  EXPECT_EQ(keys[0].line, 2u);
  EXPECT_EQ(platform_->GetPrivateProfileSectionNamesA("install.ini").size(), 1u);
  EXPECT_TRUE(platform_->GetPrivateProfileSectionNamesA("missing.ini").empty());

  // The write is seen by the next read (the cached index is renewed).
  ASSERT_TRUE(
      platform_->WritePrivateProfileStringA("Option", "Language", "Polski", "INSTALL.INI").ok());
  EXPECT_EQ(ReadFile(c_drive("install.ini")),
            "[Option]\r\nPROGRAM_NAME=Gra\r\nLanguage=Polski\r\n");
  platform_->GetPrivateProfileStringA("Option", "language", "", buf, "install.ini");
  EXPECT_STREQ(buf.data(), "Polski");

  // A write creates a missing file; a read-only file is refused and kept.
  ASSERT_TRUE(
      platform_->WritePrivateProfileStringA("Option", "Language", "English", "C:\\new.ini").ok());
  EXPECT_EQ(ReadFile(c_drive("new.ini")), "[Option]\r\nLanguage=English\r\n");
  ::chmod(c_drive("new.ini").c_str(), 0444);
  EXPECT_TRUE(
      platform_->WritePrivateProfileStringA("Option", "Language", "X", "C:\\new.ini").IsRefused());
  EXPECT_EQ(ReadFile(c_drive("new.ini")), "[Option]\r\nLanguage=English\r\n");
}

TEST_F(PrefixFiles, TheCdRefusesEveryWriteAsARealOneDoes) {
  WriteFile(medium("install.ini"), "[Option]\r\n");
  WriteFile(medium("Dane/a.txt"), "a");
  WriteFile(c_drive("b.txt"), "b");
  ::chmod(medium("Dane/a.txt").c_str(), 0444);
  auto listing = [&] {
    std::string all;
    for (const auto& e : std::filesystem::recursive_directory_iterator(medium("")))
      all += e.path().string() + "=" + (e.is_regular_file() ? ReadFile(e.path()) : "") + "\n";
    return all;
  };
  const std::string before = listing();
  // The current directory is the CD's root: relative and rooted paths land there.
  for (const char* on_cd : {"D:\\Gry\\x.txt", "Gry", "\\Gry", "Dane\\a.txt", "install.ini"}) {
    SCOPED_TRACE(on_cd);
    EXPECT_TRUE(platform_->CopyFileA("C:\\b.txt", on_cd).IsRefused());
    EXPECT_TRUE(platform_->CreateDirectoryA(on_cd).IsRefused() ||
                platform_->CreateDirectoryA(on_cd).IsAlreadyExists());
    EXPECT_TRUE(
        platform_->WritePrivateProfileStringA("Option", "Language", "X", on_cd).IsRefused());
    for (const char* mode : {"wb", "ab", "r+b"}) {
      EXPECT_TRUE(platform_->OpenFile(on_cd, mode).status().IsRefused()) << mode;
    }
    EXPECT_TRUE(platform_->WriteShellLink(std::string(on_cd) + ".lnk", {"C:\\b.txt", "", "", ""})
                    .IsRefused());
  }
  EXPECT_TRUE(platform_->SetFileAttributesArchive("Dane\\a.txt").IsRefused());
  EXPECT_TRUE(platform_->DeleteFileA("D:\\Dane\\a.txt").IsRefused());
  EXPECT_TRUE(platform_->CreateDirectoryA("D:\\Dane").IsAlreadyExists());
  EXPECT_EQ(listing(), before);
  // Reading goes on as before.
  EXPECT_TRUE(platform_->OpenFile("Dane\\a.txt", "rb").ok());
  EXPECT_TRUE(platform_->CopyFileA("Dane\\a.txt", "C:\\a.txt").ok());
}

TEST_F(PrefixFiles, ProfileWriteLeavesNoTemporaryFileBehind) {
  ASSERT_TRUE(platform_->WritePrivateProfileStringA("s", "k", "v", "C:\\a.ini").ok());
  ASSERT_TRUE(platform_->WritePrivateProfileStringA("s", "k", "w", "C:\\a.ini").ok());
  EXPECT_TRUE(platform_->FindFiles("C:\\.a.ini*").status().IsNotFound());
  EXPECT_EQ(ReadFile(c_drive("a.ini")), "[s]\r\nk=w\r\n");
}

}  // namespace
}  // namespace cdsetup::platform
