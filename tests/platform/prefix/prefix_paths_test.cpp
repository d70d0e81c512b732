// The Windows view of a prefix: drives, the current directory, case-insensitive
// resolution and ANSI names, on a real temporary tree.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>
#include <utility>

#include "support/prefix_fixture.h"

namespace cdsetup::platform {
namespace {

using testing::Exists;
using testing::MakeDirs;
using testing::PrefixFixture;
using testing::ReadFile;
using testing::WriteFile;

// A host path, and whether something is there.
using Place = std::pair<std::string, bool>;

class PrefixPaths : public PrefixFixture {
 protected:
  // Where the prefix puts `path`.
  Place Where(std::string_view path) {
    bool exists = false;
    auto host = platform_->Resolve(path, &exists);
    return {host.ok() ? *host : "(" + host.status().ToString() + ")", exists};
  }
};

TEST_F(PrefixPaths, MissingPrefixIsCreatedMinimalButValid) {
  EXPECT_TRUE(Exists(c_drive("windows")));
  EXPECT_TRUE(
      Exists(c_drive("users/tester/AppData/Roaming/Microsoft/Windows/Start Menu/Programs")));
  char buf[256];
  ssize_t n = ::readlink((temp_ / "prefix/dosdevices/c:").c_str(), buf, sizeof buf);
  ASSERT_GT(n, 0);
  EXPECT_EQ(std::string(buf, n), "../drive_c");
  std::string user_reg = ReadFile(temp_ / "prefix/user.reg");
  EXPECT_EQ(user_reg.rfind("WINE REGISTRY Version 2\n", 0), 0u);
  EXPECT_NE(user_reg.find("[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\"
                          "Shell Folders]"),
            std::string::npos);
  EXPECT_NE(user_reg.find("\"Programs\"=\"C:\\\\users\\\\tester\\\\AppData\\\\Roaming\\\\"
                          "Microsoft\\\\Windows\\\\Start Menu\\\\Programs\""),
            std::string::npos);
  // The headers Wine 8 writes itself.
  EXPECT_EQ(user_reg.rfind("WINE REGISTRY Version 2\n;; All keys relative to "
                           "REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win64\n",
                           0),
            0u);
  EXPECT_EQ(
      ReadFile(temp_ / "prefix/system.reg"),
      "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n");
  EXPECT_EQ(ReadFile(temp_ / "prefix/userdef.reg"),
            "WINE REGISTRY Version 2\n;; All keys relative to "
            "REGISTRY\\\\User\\\\.Default\n\n#arch=win64\n");
  // Wine links these to the host's own folders when they are missing; a
  // plain folder would keep them apart.
  EXPECT_FALSE(Exists(c_drive("users/tester/Desktop")));
  EXPECT_FALSE(Exists(c_drive("users/tester/Documents")));
}

// Wine names the profile folder after $USER, and after the password
// database only when it is unset or empty; the prefix takes the same name.
TEST_F(PrefixPaths, TheProfileFolderHasTheNameWineGivesIt) {
  const char* saved = std::getenv("USER");
  const std::string before = saved ? saved : "";
  const passwd* pw = ::getpwuid(::getuid());
  ASSERT_NE(pw, nullptr);
  const std::string login = pw->pw_name;
  for (const char* user : {"alice", ""}) {
    SCOPED_TRACE(user);
    ::setenv("USER", user, 1);
    PrefixOptions o;
    o.prefix_dir = temp_ / (std::string("prefix-") + user);
    o.medium_dir = medium();
    auto p = PrefixPlatform::Open(o);
    ASSERT_TRUE(p.ok()) << p.status().ToString();
    const std::string name = *user ? user : login;
    EXPECT_TRUE(Exists(o.prefix_dir + "/drive_c/users/" + name +
                       "/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"));
    EXPECT_NE(ReadFile(o.prefix_dir + "/user.reg").find("C:\\\\users\\\\" + name + "\\\\"),
              std::string::npos);
  }
  if (saved) {
    ::setenv("USER", before.c_str(), 1);
  } else {
    ::unsetenv("USER");
  }
}

TEST_F(PrefixPaths, ADirectoryThatIsNoPrefixIsRefused) {
  WriteFile(temp_ / "notprefix/file.txt", "x");
  PrefixOptions o;
  o.prefix_dir = temp_ / "notprefix";
  o.medium_dir = medium();
  EXPECT_TRUE(PrefixPlatform::Open(o).status().IsRefused());
  o.prefix_dir = temp_ / "p2";
  o.medium_dir = temp_ / "no-medium";
  EXPECT_TRUE(PrefixPlatform::Open(o).status().IsNotFound());
}

TEST_F(PrefixPaths, MediumIsTheFirstFreeDriveFromDAndTheStartingDirectory) {
  EXPECT_EQ(platform_->drives().medium(), 'd');
  EXPECT_EQ(platform_->GetCurrentDirectoryA(), "D:\\");
  EXPECT_EQ(platform_->GetModuleFileNameA(), "D:\\cdsetup");
  EXPECT_EQ(platform_->GetDriveTypeA("d:\\"), DriveType::kCdRom);
  EXPECT_EQ(platform_->GetDriveTypeA("q:\\"), DriveType::kNoRootDir);
}

TEST_F(PrefixPaths, MediumAlreadyLinkedKeepsItsLetter) {
  platform_.reset();
  ASSERT_EQ(::symlink(medium().c_str(), (temp_ / "prefix/dosdevices/f:").c_str()), 0);
  Open();
  EXPECT_EQ(platform_->drives().medium(), 'f');
  EXPECT_EQ(platform_->GetCurrentDirectoryA(), "F:\\");
}

TEST_F(PrefixPaths, ExistingComponentsMatchWithoutRegardToCase) {
  WriteFile(medium("Dane/Mowa.snd"), "x");
  bool exists = false;
  auto host = platform_->Resolve("D:\\DANE\\mowa.SND", &exists);
  ASSERT_TRUE(host.ok());
  EXPECT_TRUE(exists);
  EXPECT_EQ(*host, medium("Dane/Mowa.snd"));
  // New components are created as given, below the existing ones' real names.
  host = platform_->Resolve("dane\\Nowy\\Plik.txt", &exists);
  ASSERT_TRUE(host.ok());
  EXPECT_FALSE(exists);
  EXPECT_EQ(*host, medium("Dane/Nowy/Plik.txt"));
}

TEST_F(PrefixPaths, ExactCaseWinsOverAnotherCase) {
  WriteFile(medium("a/x.txt"), "lower");
  WriteFile(medium("A/x.txt"), "upper");
  EXPECT_EQ(*platform_->Resolve("D:\\A\\x.txt"), medium("A/x.txt"));
  EXPECT_EQ(*platform_->Resolve("D:\\a\\x.txt"), medium("a/x.txt"));
}

TEST_F(PrefixPaths, AFolderAskedForAgainInAnotherCaseResolvesAsTheFirstTime) {
  // A list of files naming their folder in lower case, as the copy asks.
  WriteFile(medium("Gra/Male/m1.dat"), "1");
  WriteFile(medium("Gra/Male/M2.dat"), "2");
  EXPECT_EQ(Where("D:\\gra\\male\\m1.dat"), Place(medium("Gra/Male/m1.dat"), true));
  EXPECT_EQ(Where("D:\\gra\\male\\m2.dat"), Place(medium("Gra/Male/M2.dat"), true));
  EXPECT_EQ(Where("D:\\gra\\male\\m3.dat"), Place(medium("Gra/Male/m3.dat"), false));
  // A folder made since in exactly the spelling asked wins from then on.
  WriteFile(medium("gra/male/m1.dat"), "lower");
  EXPECT_EQ(Where("D:\\gra\\male\\m1.dat"), Place(medium("gra/male/m1.dat"), true));
  EXPECT_EQ(Where("D:\\gra\\male\\m2.dat"), Place(medium("gra/male/m2.dat"), false));
  EXPECT_EQ(Where("D:\\Gra\\Male\\m2.dat"), Place(medium("Gra/Male/M2.dat"), true));
}

// As on a pressed CD: the folders' times an hour in the past, where the
// folder found for a spelling is trusted until one of them changes.
void MakeOld(const std::string& dir) {
  const timespec old = {std::time(nullptr) - 3600, 0};
  const timespec times[2] = {old, old};
  ASSERT_EQ(::utimensat(AT_FDCWD, dir.c_str(), times, 0), 0) << dir;
}

TEST_F(PrefixPaths, AFolderFoundInAnotherCaseFollowsEveryChangeOnTheWay) {
  WriteFile(medium("Gra/Male/m1.dat"), "1");
  WriteFile(medium("Gra/Male/m2.dat"), "2");
  auto make_old = [&] {
    for (const char* dir : {"", "Gra", "GRA", "Gra/Male", "GRA/Male", "GRA/male"}) {
      if (Exists(medium(dir))) MakeOld(medium(dir));
    }
  };
  make_old();
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(Where("D:\\gra\\male\\m1.dat"), Place(medium("Gra/Male/m1.dat"), true));
    EXPECT_EQ(Where("D:\\gra\\male\\m2.dat"), Place(medium("Gra/Male/m2.dat"), true));
  }
  // The stored folder renamed: its old name is gone.
  ASSERT_EQ(std::rename(medium("Gra").c_str(), medium("GRA").c_str()), 0);
  EXPECT_EQ(Where("D:\\gra\\male\\m1.dat"), Place(medium("GRA/Male/m1.dat"), true));
  make_old();
  EXPECT_EQ(Where("D:\\gra\\male\\m2.dat"), Place(medium("GRA/Male/m2.dat"), true));
  // A folder made in exactly the spelling asked, a level down, wins.
  WriteFile(medium("GRA/male/m2.dat"), "lower");
  EXPECT_EQ(Where("D:\\gra\\male\\m2.dat"), Place(medium("GRA/male/m2.dat"), true));
  make_old();
  EXPECT_EQ(Where("D:\\gra\\male\\m1.dat"), Place(medium("GRA/male/m1.dat"), false));
  // A folder changed in the last seconds is walked again: where the clock is
  // coarse, a second change within the same tick leaves its time as it was.
  ASSERT_EQ(std::remove(medium("GRA/male/m2.dat").c_str()), 0);
  ASSERT_EQ(::rmdir(medium("GRA/male").c_str()), 0);
  struct stat before;
  ASSERT_EQ(::stat(medium("GRA").c_str(), &before), 0);
  EXPECT_EQ(Where("D:\\gra\\male\\m1.dat"), Place(medium("GRA/Male/m1.dat"), true));
  ASSERT_EQ(::mkdir(medium("GRA/male").c_str(), 0755), 0);
  const timespec unchanged[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(::utimensat(AT_FDCWD, medium("GRA").c_str(), unchanged, 0), 0);
  EXPECT_EQ(Where("D:\\gra\\male\\m2.dat"), Place(medium("GRA/male/m2.dat"), false));
}

TEST_F(PrefixPaths, RelativeRootedAndDotDotPaths) {
  MakeDirs(medium("Setup/Data"));
  ASSERT_TRUE(platform_->SetCurrentDirectoryA("setup\\data").ok());
  EXPECT_EQ(platform_->GetCurrentDirectoryA(), "D:\\setup\\data");
  EXPECT_EQ(*platform_->Resolve("f.txt"), medium("Setup/Data/f.txt"));
  EXPECT_EQ(*platform_->Resolve("\\f.txt"), medium("f.txt"));
  EXPECT_EQ(*platform_->Resolve("..\\..\\..\\..\\f.txt"), medium("f.txt"));
  EXPECT_EQ(*platform_->Resolve("C:\\..\\windows"), c_drive("windows"));
  EXPECT_TRUE(platform_->SetCurrentDirectoryA("C:\\").ok());
  EXPECT_EQ(platform_->GetCurrentDirectoryA(), "C:\\");
}

TEST_F(PrefixPaths, SettingAMissingOrFileCurrentDirectoryFails) {
  WriteFile(medium("file.txt"), "x");
  EXPECT_TRUE(platform_->SetCurrentDirectoryA("D:\\missing").IsNotFound());
  EXPECT_TRUE(platform_->SetCurrentDirectoryA("D:\\file.txt").IsNotFound());
  EXPECT_TRUE(platform_->SetCurrentDirectoryA("Q:\\").IsNotFound());
  EXPECT_EQ(platform_->GetCurrentDirectoryA(), "D:\\");
}

TEST_F(PrefixPaths, AnsiNamesWithPolishLettersMapToUtf8HostNames) {
  // "Gry\Żółw" in CP1250
  ASSERT_TRUE(platform_->CreateDirectoryA("C:\\Gry").ok());
  ASSERT_TRUE(platform_->CreateDirectoryA("C:\\Gry\\\xAF\xF3\xB3w").ok());
  EXPECT_TRUE(Exists(c_drive("Gry/\xC5\xBB\xC3\xB3\xC5\x82w")));
  // Found again in the other letter case, and listed back in ANSI.
  EXPECT_TRUE(platform_->SetCurrentDirectoryA("c:\\gry\\\xBF\xD3\xA3W").ok());
  auto found = platform_->FindFiles("C:\\Gry\\*.*");
  ASSERT_TRUE(found.ok());
  ASSERT_EQ(found->size(), 3u);
  EXPECT_EQ((*found)[2].name, "\xAF\xF3\xB3w");
}

}  // namespace
}  // namespace cdsetup::platform
