// The registry of a real temporary prefix: values in Wine's files, Polish
// letters, atomic replacement under a failing disk, damaged files, the
// wineserver guard, and the drive types configured in the registry.
#include "platform/prefix/prefix_registry.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "platform/prefix/prefix_layout.h"
#include "platform/prefix/wineserver_probe.h"
#include "support/prefix_fixture.h"
#include "support/wine_session.h"

namespace cdsetup::platform {
namespace {

using testing::MakeDirs;
using testing::ReadFile;
using testing::WriteFile;

constexpr const char* kProductKey = "Software\\Torvanel\\Gra_Polski";

class PrefixRegistryTest : public testing::PrefixFixture {
 protected:
  void OpenWithServerRoot() {
    platform_.reset();
    PrefixOptions o;
    o.prefix_dir = temp_ / "prefix";
    o.medium_dir = medium();
    o.program_name = "cdsetup";
    o.user = "tester";
    o.code_page = 1250;
    o.wineserver_root = temp_ / "wine-root";
    auto p = PrefixPlatform::Open(o);
    ASSERT_TRUE(p.ok()) << p.status().ToString();
    platform_ = std::move(p).value();
  }

  base::Result<std::string> Read(RegRoot root, const std::string& key, const std::string& name) {
    base::Result<RegKey> k = platform_->RegOpenKeyA(root, key);
    if (!k.ok()) return k.status();
    base::Result<std::string> v = platform_->RegQueryValueA(*k, name);
    platform_->RegCloseKey(*k);
    return v;
  }

  base::Status Write(RegRoot root, const std::string& key, const std::string& name,
                     const std::string& value) {
    base::Result<RegKey> k = platform_->RegCreateKeyA(root, key);
    if (!k.ok()) return k.status();
    base::Status s = platform_->RegSetValueA(*k, name, value);
    platform_->RegCloseKey(*k);
    return s;
  }

  std::string user_reg() const { return temp_ / "prefix/user.reg"; }
  std::string system_reg() const { return temp_ / "prefix/system.reg"; }
};

TEST_F(PrefixRegistryTest, ValuesAreCreatedQueriedAndDeletedInWinesFiles) {
  // The minimal prefix already has what Wine sets for the Start menu.
  EXPECT_EQ(
      *Read(RegRoot::kCurrentUser,
            "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Programs"),
      ProgramsFolderFor("tester"));

  auto key = platform_->RegCreateKeyA(RegRoot::kCurrentUser, kProductKey);
  ASSERT_TRUE(key.ok()) << key.status().ToString();
  ASSERT_TRUE(platform_->RegSetValueA(*key, "ProgramPath", "C:\\Gry\\Gra").ok());
  ASSERT_TRUE(platform_->RegSetValueA(*key, "Lang", "Polski").ok());
  EXPECT_EQ(*platform_->RegQueryValueA(*key, "programpath"), "C:\\Gry\\Gra");
  EXPECT_TRUE(platform_->RegQueryValueA(*key, "Program").status().IsNotFound());
  ASSERT_TRUE(platform_->RegSetValueA(*key, "ProgramPath", "D:\\Inna").ok());
  ASSERT_TRUE(platform_->RegDeleteValueA(*key, "LANG").ok());
  EXPECT_TRUE(platform_->RegDeleteValueA(*key, "Lang").IsNotFound());
  platform_->RegCloseKey(*key);
  EXPECT_FALSE(platform_->RegQueryValueA(*key, "ProgramPath").ok());

  std::string text = ReadFile(user_reg());
  EXPECT_EQ(text.rfind("WINE REGISTRY Version 2\n", 0), 0u);
  EXPECT_NE(text.find("\n\n[Software\\\\Torvanel\\\\Gra_Polski] "), std::string::npos);
  EXPECT_NE(text.find("\"ProgramPath\"=\"D:\\\\Inna\"\n"), std::string::npos);
  EXPECT_EQ(text.find("Lang"), std::string::npos);

  // HKEY_LOCAL_MACHINE lives in system.reg; the parents are there implied.
  ASSERT_TRUE(Write(RegRoot::kLocalMachine,
                    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Gra_Polski\\",
                    "DisplayName", "Gra")
                  .ok());
  EXPECT_NE(ReadFile(system_reg()).find("Uninstall\\\\Gra_Polski] "), std::string::npos);
  EXPECT_TRUE(platform_->RegOpenKeyA(RegRoot::kLocalMachine, "software\\MICROSOFT").ok());
  EXPECT_TRUE(platform_->RegOpenKeyA(RegRoot::kLocalMachine, kProductKey).status().IsNotFound());
  EXPECT_TRUE(platform_->RegCreateKeyA(RegRoot::kCurrentUser, "a\\\\b").status().IsRefused());
  EXPECT_TRUE(
      platform_->RegCreateKeyA(RegRoot::kCurrentUser, std::string(256, 'k')).status().IsRefused());

  // Another process sees it: a fresh platform over the same prefix.
  Open();
  EXPECT_EQ(*Read(RegRoot::kCurrentUser, "SOFTWARE\\torvanel\\gra_polski", "ProgramPath"),
            "D:\\Inna");
}

TEST_F(PrefixRegistryTest, PolishLettersRoundTripThroughEscapes) {
  // "C:\Gry\Łódź Żółw" and a key name "Gra_Polski_ąę" in code page 1250.
  const std::string path =
      "C:\\Gry\\\xA3\xF3"
      "d\x9F \xAF\xF3\xB3w";
  const std::string key = std::string(kProductKey) + "_\xB9\xEA";
  ASSERT_TRUE(Write(RegRoot::kCurrentUser, key, "ProgramPath", path).ok());
  std::string text = ReadFile(user_reg());
  EXPECT_NE(text.find("\"C:\\\\Gry\\\\\\x141\\x00f3d\\x17a \\x17b\\xf3\\x142w\""),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("Gra_Polski_\\x105\\x119]"), std::string::npos);
  for (char c : text) EXPECT_LT(static_cast<unsigned char>(c), 0x80u);
  Open();
  EXPECT_EQ(*Read(RegRoot::kCurrentUser, key, "ProgramPath"), path);
  // Upper-case Polish letters find the key written in lower case.
  EXPECT_TRUE(
      platform_->RegOpenKeyA(RegRoot::kCurrentUser, std::string(kProductKey) + "_\xA5\xCA").ok());
}

TEST_F(PrefixRegistryTest, UntouchedPartsOfAWineFileStayByteForByte) {
  std::string wine_file =
      "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win32\n"
      "\n[Software\\\\Classes\\\\.txt] 1700000000\n#time=1da1b2c3d4e5f60\n"
      "@=\"txtfile\"\n\"Content Type\"=\"text/plain\"\n"
      "\n[Software\\\\Wine\\\\Drives] 1700000001\n#time=1da1b2c3d4e5f61\n\"d:\"=\"cdrom\"\n"
      "\n[System\\\\CurrentControlSet\\\\Control\\\\Session Manager\\\\Environment] 1700000002\n"
      "#time=1da1b2c3d4e5f62\n\"PATH\"=str(2):\"%SystemRoot%\\\\system32;%SystemRoot%\"\n"
      "\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,\\\n"
      "  18,19\n";
  WriteFile(system_reg(), wine_file);
  ASSERT_TRUE(Write(RegRoot::kLocalMachine, "Software\\Wine\\Drives", "e:", "hd").ok());
  std::string after = ReadFile(system_reg());
  std::size_t drives = wine_file.find("\n[Software\\\\Wine\\\\Drives]");
  std::size_t env = wine_file.find("\n[System");
  EXPECT_EQ(after.substr(0, drives), wine_file.substr(0, drives));
  EXPECT_EQ(after.substr(after.size() - (wine_file.size() - env)), wine_file.substr(env));
  EXPECT_NE(after.find("\"d:\"=\"cdrom\"\n\"e:\"=\"hd\"\n"), std::string::npos);
}

// Installers that write the registry of one prefix at once: each in its own
// process, released together, setting values of its own in both files.
TEST_F(PrefixRegistryTest, WritersInSeveralProcessesKeepEachOthersValues) {
  constexpr int kRounds = 10;
  constexpr int kWriters = 4;
  constexpr int kValues = 8;
  const std::string shared = "Software\\Torvanel\\Shared";
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    std::vector<pid_t> writers;
    for (int w = 0; w < kWriters; ++w) {
      pid_t child = ::fork();
      ASSERT_GE(child, 0);
      if (child == 0) {
        ::close(go[1]);
        char c;
        (void)!::read(go[0], &c, 1);  // until the parent lets all go at once
        PrefixOptions o;
        o.prefix_dir = temp_ / "prefix";
        o.medium_dir = medium();
        o.program_name = "cdsetup";
        o.user = "tester";
        o.code_page = 1250;
        auto p = PrefixPlatform::Open(o);
        int failures = p.ok() ? 0 : 100;
        for (int v = 0; p.ok() && v < kValues; ++v) {
          const std::string name =
              "r" + std::to_string(round) + "w" + std::to_string(w) + "v" + std::to_string(v);
          for (RegRoot root : {RegRoot::kCurrentUser, RegRoot::kLocalMachine}) {
            auto k = (*p)->RegCreateKeyA(root, shared);
            if (!k.ok() || !(*p)->RegSetValueA(*k, name, name + "=" + std::to_string(v)).ok()) {
              ++failures;
            }
            if (k.ok()) (*p)->RegCloseKey(*k);
          }
        }
        ::_exit(failures);
      }
      writers.push_back(child);
    }
    ::close(go[0]);
    ::close(go[1]);
    for (pid_t child : writers) {
      int status = 0;
      ASSERT_EQ(::waitpid(child, &status, 0), child);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    Open();
    int lost = 0;
    for (int r = 0; r <= round; ++r) {
      for (int w = 0; w < kWriters; ++w) {
        for (int v = 0; v < kValues; ++v) {
          const std::string name =
              "r" + std::to_string(r) + "w" + std::to_string(w) + "v" + std::to_string(v);
          for (RegRoot root : {RegRoot::kCurrentUser, RegRoot::kLocalMachine}) {
            base::Result<std::string> value = Read(root, shared, name);
            if (!value.ok() || *value != name + "=" + std::to_string(v)) ++lost;
          }
        }
      }
    }
    ASSERT_EQ(lost, 0) << "values lost of " << (round + 1) * kWriters * kValues * 2;
  }
}

// Writes beyond this size fail with EFBIG while the guard lives, as on a full
// disk: the one fault even root cannot write past.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &old_);
    old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, old_handler_);
  }

 private:
  rlimit old_{};
  void (*old_handler_)(int) = nullptr;
};

TEST_F(PrefixRegistryTest, AFailedWriteLeavesTheOldFile) {
  ASSERT_TRUE(Write(RegRoot::kCurrentUser, kProductKey, "ProgramPath", "C:\\Gry\\Gra").ok());
  std::string before = ReadFile(user_reg());
  {
    FileSizeLimit limit(before.size());
    base::Status s =
        Write(RegRoot::kCurrentUser, kProductKey, "ProgramPath", "C:\\A\\Longer\\Path");
    EXPECT_TRUE(s.IsIoError()) << s.ToString();
  }
  EXPECT_EQ(ReadFile(user_reg()), before);
  for (const auto& entry : std::filesystem::directory_iterator(temp_ / "prefix")) {
    EXPECT_EQ(entry.path().filename().string().rfind(".user.reg", 0), std::string::npos)
        << "temporary file left: " << entry.path();
  }
  EXPECT_EQ(*Read(RegRoot::kCurrentUser, kProductKey, "ProgramPath"), "C:\\Gry\\Gra");
  ASSERT_TRUE(Write(RegRoot::kCurrentUser, kProductKey, "ProgramPath", "C:\\A\\Longer\\Path").ok());
  EXPECT_EQ(*Read(RegRoot::kCurrentUser, kProductKey, "ProgramPath"), "C:\\A\\Longer\\Path");
}

TEST_F(PrefixRegistryTest, DamagedOrHugeFilesAreReadAsFarAsPossibleButNotRewritten) {
  std::string damaged =
      "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n"
      "\n[Software\\\\Wine\\\\Drives] 1\n\"d:\"=\"cdrom\"\n\"e:\"=hex:01,\\\n"  // continued by the
                                                                                // blank line
      "\n[Software\\\\Game] 2\n\"Ok\"=\"yes\"\n\"Broken=\"no\n";
  WriteFile(system_reg(), damaged);
  EXPECT_EQ(*Read(RegRoot::kLocalMachine, "Software\\Game", "Ok"), "yes");
  EXPECT_EQ(*Read(RegRoot::kLocalMachine, "Software\\Wine\\Drives", "d:"), "cdrom");
  base::Status s = Write(RegRoot::kLocalMachine, "Software\\Game", "Ok", "no");
  EXPECT_TRUE(s.IsCorrupt()) << s.ToString();
  EXPECT_NE(s.message().find("line 12"), std::string::npos) << s.message();
  EXPECT_NE(s.message().find("not rewritten"), std::string::npos);
  EXPECT_TRUE(
      platform_->RegCreateKeyA(RegRoot::kLocalMachine, "Software\\New").status().IsCorrupt());
  EXPECT_EQ(ReadFile(system_reg()), damaged);
  // The other file is not affected.
  EXPECT_TRUE(Write(RegRoot::kCurrentUser, kProductKey, "Lang", "Polski").ok());

  // A file far larger than any registry is not read at all.
  ASSERT_EQ(::truncate(system_reg().c_str(), 300ll << 20), 0);
  EXPECT_TRUE(
      platform_->RegOpenKeyA(RegRoot::kLocalMachine, "Software\\Game").status().IsRefused());
  EXPECT_FALSE(Write(RegRoot::kLocalMachine, "Software\\Game", "Ok", "no").ok());
  EXPECT_EQ(std::filesystem::file_size(system_reg()), 300ull << 20);

  // An empty or missing file is a registry with nothing in it yet.
  WriteFile(system_reg(), "");
  EXPECT_TRUE(Write(RegRoot::kLocalMachine, "Software\\Game", "Ok", "again").ok());
  ASSERT_EQ(::unlink(user_reg().c_str()), 0);
  EXPECT_TRUE(Read(RegRoot::kCurrentUser, kProductKey, "Lang").status().IsNotFound());
  EXPECT_TRUE(Write(RegRoot::kCurrentUser, kProductKey, "Lang", "Polski").ok());
  EXPECT_EQ(ReadFile(user_reg()).rfind("WINE REGISTRY Version 2\n", 0), 0u);
}

TEST_F(PrefixRegistryTest, WritesWaitForTheWineserverToEnd) {
  OpenWithServerRoot();
  auto key = platform_->RegCreateKeyA(RegRoot::kCurrentUser, kProductKey);
  ASSERT_TRUE(key.ok());
  ASSERT_TRUE(platform_->RegistryWritable().ok());
  std::string before = ReadFile(user_reg());

  std::string server = WineServerDirectory(temp_ / "prefix", temp_ / "wine-root");
  ASSERT_FALSE(server.empty());
  WriteFile(server + "/socket", "");  // a socket whose server left no lock file
  base::Status busy = platform_->RegistryWritable();
  EXPECT_TRUE(busy.IsBusy());
  EXPECT_NE(busy.message().find("close the prefix's Wine programs first"), std::string::npos)
      << busy.message();
  EXPECT_TRUE(platform_->RegSetValueA(*key, "Lang", "Polski").IsBusy());
  EXPECT_TRUE(platform_->RegDeleteValueA(*key, "Lang").IsBusy());
  EXPECT_TRUE(platform_->RegCreateKeyA(RegRoot::kLocalMachine, "Software\\X").status().IsBusy());
  EXPECT_EQ(ReadFile(user_reg()), before);
  // Reading goes on.
  EXPECT_TRUE(platform_->RegOpenKeyA(RegRoot::kCurrentUser, kProductKey).ok());

  ASSERT_EQ(::unlink((server + "/socket").c_str()), 0);
  EXPECT_TRUE(platform_->RegistryWritable().ok());
  EXPECT_TRUE(platform_->RegSetValueA(*key, "Lang", "Polski").ok());
}

TEST_F(PrefixRegistryTest, ARealWineserverIsSeenWhereverThisWineKeepsIt) {
  ASSERT_TRUE(testing::WineInstalled()) << testing::kWineMissing;
  auto key = platform_->RegCreateKeyA(RegRoot::kCurrentUser, kProductKey);
  ASSERT_TRUE(key.ok());
  testing::WineSession wine(temp_ / "prefix");
  ASSERT_EQ(wine.Run("wineserver -p").status, 0);
  base::Status busy = platform_->RegistryWritable();
  EXPECT_TRUE(busy.IsBusy()) << busy.ToString();
  EXPECT_NE(busy.message().find("its wineserver (/"), std::string::npos) << busy.message();
  EXPECT_TRUE(platform_->RegSetValueA(*key, "Lang", "Polski").IsBusy());

  ASSERT_EQ(wine.Run("wineserver -k; wineserver -w").status, 0);
  // What the server left behind is no server.
  EXPECT_TRUE(platform_->RegistryWritable().ok());
  EXPECT_TRUE(platform_->RegSetValueA(*key, "Lang", "Polski").ok());
}

TEST_F(PrefixRegistryTest, DriveTypesSetInTheRegistryWin) {
  for (char letter : {'a', 'e', 'h', 'n', 'r', 's'}) {
    std::string dir = temp_ / ("drive-" + std::string(1, letter));
    MakeDirs(dir);
    std::string link = temp_ / "prefix/dosdevices/" + std::string(1, letter) + ":";
    ASSERT_EQ(::symlink(dir.c_str(), link.c_str()), 0);
  }
  Open();  // the drive links are read when the platform opens
  DriveType c_before = platform_->GetDriveTypeA("c:\\");
  WriteFile(system_reg(),
            "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n"
            "\n[Software\\\\Wine\\\\Drives] 1\n\"a:\"=\"hd\"\n\"E:\"=\"cdrom\"\n"
            "\"h:\"=\"network\"\n\"n:\"=\"floppy\"\n\"r:\"=\"RAMDISK\"\n\"c:\"=\"bogus\"\n"
            "\"q:\"=\"cdrom\"\n\"s:\"=dword:00000005\n");
  struct Case {
    const char* root;
    DriveType type;
  } cases[] = {
      {"A:\\", DriveType::kFixed},
      {"e:\\", DriveType::kCdRom},
      {"h:\\", DriveType::kRemote},
      {"n:\\", DriveType::kRemovable},
      {"r:\\", DriveType::kRamDisk},
      {"c:\\", c_before},                          // not a type Wine knows
      {"q:\\", DriveType::kNoRootDir},             // configured, but no target
      {"s:\\", platform_->GetDriveTypeA("c:\\")},  // not a string
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.root);
    EXPECT_EQ(platform_->GetDriveTypeA(c.root), c.type);
  }
}

// A prefix Wine made and used before we write into its own files, as on a
// machine where Wine has run: Wine reads every value back with its type. The
// query runs under a Polish locale, so that "reg" prints the Polish letters
// (in the OEM code page, 852) rather than its best guesses at them.
TEST_F(PrefixRegistryTest, WineReadsWhatWeWriteIntoItsOwnFiles) {
  ASSERT_TRUE(testing::WineInstalled()) << testing::kWineMissing;
  const std::string locale = testing::PolishLocale(temp_ / "locale");
  ASSERT_FALSE(locale.empty()) << testing::kPolishLocaleMissing;
  const std::string prefix = temp_ / "made-by-wine";
  testing::WineSession wine(prefix, locale);
  ASSERT_EQ(wine.Run("wine cmd /c exit; wineserver -w").status, 0);
  ASSERT_NE(ReadFile(prefix + "/system.reg").find("[Software\\\\Microsoft\\\\Windows NT"),
            std::string::npos);

  platform_.reset();
  PrefixOptions o;
  o.prefix_dir = prefix;
  o.medium_dir = medium();
  o.program_name = "cdsetup";
  o.code_page = 1250;
  auto opened = PrefixPlatform::Open(o);
  ASSERT_TRUE(opened.ok()) << opened.status().ToString();
  platform_ = std::move(opened).value();
  const std::string uninstall =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Gra_Polski";
  // "Gra Żółw" and "C:\Gry\Żółw" in code page 1250.
  ASSERT_TRUE(Write(RegRoot::kLocalMachine, uninstall, "DisplayName", "Gra \xAF\xF3\xB3w").ok());
  ASSERT_TRUE(Write(RegRoot::kLocalMachine, uninstall, "UninstallString",
                    "C:\\Gry\\\xAF\xF3\xB3w\\odinstaluj.exe")
                  .ok());
  ASSERT_TRUE(
      Write(RegRoot::kCurrentUser, kProductKey, "ProgramPath", "C:\\Gry\\\xAF\xF3\xB3w").ok());
  ASSERT_TRUE(Write(RegRoot::kCurrentUser, kProductKey, "Lang", "Polski").ok());

  // Żółw in code page 852; Wine lists the values by name.
  const std::string zolw = "\xBD\xA2\x88w";
  testing::CommandResult machine = wine.Run("wine reg query 'HKLM\\" + uninstall + "'");
  EXPECT_EQ(machine.status, 0) << machine.err;
  EXPECT_EQ(machine.out, "\r\nHKEY_LOCAL_MACHINE\\" + uninstall +
                             "\r\n    DisplayName    REG_SZ    Gra " + zolw +
                             "\r\n    UninstallString    REG_SZ    C:\\Gry\\" + zolw +
                             "\\odinstaluj.exe\r\n\r\n");
  testing::CommandResult user = wine.Run("wine reg query 'HKCU\\" + std::string(kProductKey) + "'");
  EXPECT_EQ(user.status, 0) << user.err;
  EXPECT_EQ(user.out,
            "\r\nHKEY_CURRENT_USER\\" + std::string(kProductKey) +
                "\r\n    Lang    REG_SZ    Polski\r\n    ProgramPath    REG_SZ    C:\\Gry\\" +
                zolw + "\r\n\r\n");
}

}  // namespace
}  // namespace cdsetup::platform
