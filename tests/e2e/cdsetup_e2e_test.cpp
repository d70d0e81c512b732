// The built cdsetup run as a user runs it, on the demo medium in temporary
// prefixes: what it leaves on disk, in the registry files and links, what it
// starts, and its exit status.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cd_image/cd_image.h"
#include "demo_medium/demo_medium.h"
#include "platform/prefix/prefix_platform.h"
#include "support/program_run.h"
#include "support/pseudo_terminal.h"
#include "support/scoped_temp_dir.h"
#include "support/scoped_tmpfs.h"
#include "support/windows_program.h"
#include "support/wine_session.h"

namespace cdsetup {
namespace {

namespace fs = std::filesystem;
using testing::Exists;
using testing::ReadFile;

using testing::ProgramRun;

class CdsetupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(demo::BuildDemoMedium(temp_ / "medium", demo::DemoOptions{20, 0.5}).ok());
    // A wine that only notes how it was asked: the installs of the tests
    // that look at no menu need no Wine to make one, nor a user's desktop.
    testing::WriteFile(
        temp_ / "bin/wine",
        "#!/bin/sh\nprintf '%s\\n' \"$*\" >> \"$(dirname \"$0\")/wine-asked.txt\"\n");
    ::chmod((temp_ / "bin/wine").c_str(), 0755);
  }

  // Runs cdsetup with `args`, `input` on its standard input and the
  // assignments `env` ("NAME=value ...") in its environment.
  ProgramRun Cdsetup(const std::string& args, const std::string& input = "",
                     const std::string& env = "") {
    // As on a terminal without a display, where the console is the interface.
    const std::string fake_wine = real_wine_ ? "" : "PATH='" + temp_ / "bin" + "':\"$PATH\" ";
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME='" +
                                temp_ / "home" + "' " + fake_wine + env +
                                " LANG=C CDSETUP_DEMO_RECORD='" + temp_ / "ran.txt" + "' " +
                                program_ + " " + args;
    return testing::RunProgram(command, input, temp_);
  }
  std::string Common() const {
    return "--medium '" + temp_ / "medium" + "' --prefix '" + temp_ / "prefix" + "' --log '" +
           temp_ / "log.txt" + "'";
  }
  std::string C(const std::string& rel) const { return temp_ / "prefix/drive_c/" + rel; }

  // The prefix as the installer left it, to read its registry and links.
  std::unique_ptr<platform::PrefixPlatform> Prefix() {
    platform::PrefixOptions o;
    o.prefix_dir = temp_ / "prefix";
    o.medium_dir = temp_ / "medium";
    o.program_name = "cdsetup";
    o.code_page = 1250;
    auto p = platform::PrefixPlatform::Open(o);
    EXPECT_TRUE(p.ok());
    return p.ok() ? std::move(p).value() : nullptr;
  }
  static std::optional<std::string> Value(platform::Platform& p, platform::RegRoot root,
                                          const std::string& key, const std::string& name) {
    auto k = p.RegOpenKeyA(root, key);
    if (!k.ok()) return std::nullopt;
    auto v = p.RegQueryValueA(*k, name);
    p.RegCloseKey(*k);
    return v.ok() ? std::optional<std::string>(*v) : std::nullopt;
  }
  static std::uint32_t U32(const std::string& bytes, std::size_t at) {
    std::uint32_t v;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
  }

  testing::ScopedTempDir temp_;
  bool real_wine_ = false;  // cdsetup finds the real wine, not the one in temp_/bin
  std::string program_ = CDSETUP_PATH;
};

TEST_F(CdsetupTest, SilentFullInstallLeavesEverythingInPlace) {
  // The Polish texts are in code page 1250; the machine speaks English.
  ProgramRun run =
      Cdsetup(Common() + " --silent --accept-licence --type max --lang Polski --codepage 1250");
  ASSERT_EQ(run.status, 0) << run.err << ReadFile(temp_ / "log.txt");
  const std::string game = C("Gry/Demo/");
  for (const char* f : {"demo.exe", "czytaj.txt", "Dane/Poziomy/poziom2.dat",
                        "Dodatki/Zestaw00/plik019.dat", "tlo.bmp"}) {
    EXPECT_TRUE(Exists(game + f)) << f;
  }
  // Every archive entry became a WAV file whose size fields match its
  // length, whichever codec it came from; nothing compressed is left.
  int wavs = 0;
  for (const auto& e : fs::recursive_directory_iterator(game)) {
    const std::string ext = e.path().extension().string();
    EXPECT_TRUE(ext != ".ogg" && ext != ".OGG" && ext != ".spx") << e.path();
    if (ext != ".wav") continue;
    const std::string wav = ReadFile(e.path().string());
    ASSERT_GE(wav.size(), 44u) << e.path();
    EXPECT_EQ(U32(wav, 4), wav.size() - 8) << e.path();
    EXPECT_EQ(U32(wav, 40), wav.size() - 44) << e.path();
    ++wavs;
  }
  EXPECT_GE(wavs, 9);
  const std::string speex = ReadFile(game + "Dane/mowa_wb_stereo.wav");
  ASSERT_GT(speex.size(), 44u);
  EXPECT_EQ(speex.substr(0, 4), "RIFF");
  EXPECT_EQ(speex.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(U32(speex, 4), speex.size() - 8);  // sizes patched after decoding
  EXPECT_EQ(U32(speex, 40), speex.size() - 44);
  EXPECT_EQ(U32(speex, 24), 16000u);  // rate
  EXPECT_EQ(speex[22], 2);            // channels
  const std::string vorbis = ReadFile(game + "Dane/intro.wav");
  EXPECT_EQ(U32(vorbis, 24), 22050u);
  EXPECT_EQ((vorbis.size() - 44) % 2, 0u);
  EXPECT_GT(vorbis.size(), 22050u);  // half a second of 16-bit mono

  // The script copy says which language was used, and can be written.
  const std::string ini = ReadFile(game + "install.ini");
  EXPECT_NE(ini.find("Language=Polski"), std::string::npos);
  struct stat st;
  ASSERT_EQ(::stat((game + "install.ini").c_str(), &st), 0);
  EXPECT_TRUE(st.st_mode & S_IWUSR);
  EXPECT_TRUE(Exists(C("windows/TV/Kestrune.exe")));

  auto p = Prefix();
  ASSERT_TRUE(p);
  const std::string uninstall =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\DemoSwiatla_Polski";
  EXPECT_EQ(Value(*p, platform::RegRoot::kLocalMachine, uninstall, "DisplayName"),
            "Demo \xAF\xF3\xB3w");
  EXPECT_EQ(Value(*p, platform::RegRoot::kLocalMachine, uninstall, "UninstallString"),
            "C:\\Gry\\Demo\\odinstaluj.exe");
  const std::string product = "Software\\Torvanel\\DemoSwiatla_Polski";
  EXPECT_EQ(Value(*p, platform::RegRoot::kCurrentUser, product, "ProgramPath"), "C:\\Gry\\Demo");
  EXPECT_EQ(Value(*p, platform::RegRoot::kCurrentUser, product, "Lang"), "Polski");
  auto programs =
      Value(*p, platform::RegRoot::kCurrentUser,
            "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Programs");
  ASSERT_TRUE(programs);
  const std::string folder = *programs + "\\Torvanel\\Demo \xAF\xF3\xB3w\\";
  const std::pair<const char*, const char*> links[] = {{"Demo.lnk", "demo.exe"},
                                                       {"Czytaj mnie.lnk", "czytaj.txt"},
                                                       {"Odinstaluj.lnk", "odinstaluj.exe"}};
  for (const auto& [link, target] : links) {
    auto read = p->ReadShellLink(folder + link);
    ASSERT_TRUE(read.ok()) << link << ": " << read.status().ToString();
    EXPECT_EQ(read->target, std::string("C:\\Gry\\Demo\\") + target);
    // The link holds the folder as a full path, without the closing "\".
    EXPECT_EQ(read->working_directory, "C:\\Gry\\Demo");
    EXPECT_EQ(read->description, "");
  }
  // Wine is asked to make the new prefix first (this one makes none, so the
  // minimal prefix serves), and for the menu entries once the run is over,
  // link by link.
  const std::string asked = ReadFile(temp_ / "bin/wine-asked.txt");
  EXPECT_EQ(asked, "wineboot -i\nwinemenubuilder " + *programs +
                       "\\Torvanel\\Demo \xC5\xBB\xC3\xB3\xC5\x82w\\Demo.lnk\n"
                       "winemenubuilder " +
                       *programs +
                       "\\Torvanel\\Demo \xC5\xBB\xC3\xB3\xC5\x82w\\Czytaj mnie.lnk\n"
                       "winemenubuilder " +
                       *programs + "\\Torvanel\\Demo \xC5\xBB\xC3\xB3\xC5\x82w\\Odinstaluj.lnk\n");
  // Silent runs decline the extra programs and DirectX.
  EXPECT_FALSE(Exists(temp_ / "ran.txt"));
  EXPECT_NE(ReadFile(temp_ / "log.txt").find("message install-directx (question) DirectX"),
            std::string::npos);
}

TEST_F(CdsetupTest, APersonAtTheConsoleSaysYesToAnExtraAndToDirectX) {
  // From the folder and from an image, whose programs run from a copy.
  ASSERT_TRUE(cdimage::MakeIsoImage(temp_ / "medium", temp_ / "demo.iso", "DEMO").ok());
  for (const std::string& medium : {temp_ / "medium", temp_ / "demo.iso"}) {
    SCOPED_TRACE(medium);
    fs::remove_all(temp_ / "prefix");
    fs::remove(temp_ / "ran.txt");
    // Enter installs; the licence's accept button is [2]; [5] the full
    // version, then [1]; Enter takes the proposed folder; y to create it;
    // Enter closes the closing message; y, n to the two programs; y to DirectX.
    ProgramRun run = Cdsetup("--medium '" + medium + "' --prefix '" + temp_ / "prefix" +
                                 "' --log '" + temp_ / "log.txt" + "' --lang English",
                             "\n2\n5\n1\n\ny\n\ny\nn\ny\n");
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_TRUE(Exists(C("Games/Demo/Dodatki/Zestaw00/plik000.dat")));
    EXPECT_NE(run.out.find("== Licence agreement =="), std::string::npos);
    EXPECT_NE(run.out.find("(*) Standard"), std::string::npos);
    EXPECT_NE(run.out.find("Install the level editor?"), std::string::npos);
    const std::string ran = ReadFile(temp_ / "ran.txt");
    EXPECT_NE(ran.find("edytor.sh"), std::string::npos) << ran;
    EXPECT_EQ(ran.find("sterowniki.sh"), std::string::npos) << ran;
    EXPECT_NE(ran.find("dxsetup.exe"), std::string::npos) << ran;
    // The DirectX path starts with the medium's CD letter.
    EXPECT_NE(ReadFile(temp_ / "log.txt").find("ran DirectX setup d:\\DirectX\\dxsetup.exe"),
              std::string::npos);
    // The copies the image's programs ran from went with them.
    EXPECT_TRUE(!fs::exists(C("windows/temp")) || fs::is_empty(C("windows/temp"))) << medium;
  }
}

TEST_F(CdsetupTest, AtANarrowTerminalTheWholeInstallRunsAndItsProgressStaysOnOneLine) {
  for (int columns : {80, 40}) {
    SCOPED_TRACE(columns);
    const std::string prefix = "prefix" + std::to_string(columns);
    testing::PseudoTerminal terminal(columns);
    // Each answer waits for its question; keys typed earlier would be lost.
    terminal.Answer("for help): ", "\n");   // install
    terminal.Answer("for help): ", "2\n");  // accept the licence
    terminal.Answer("for help): ", "1\n");  // the standard version
    terminal.Answer("for help): ", "\n");   // the proposed folder
    terminal.Answer("answer (", "y\n");     // create it
    terminal.Answer("answer (", "\n");      // setup is complete
    terminal.Answer("answer (", "n\n");     // no extra programs
    terminal.Answer("answer (", "n\n");
    terminal.Answer("answer (", "n\n");  // no DirectX
    terminal.Spawn("env -u DISPLAY -u WAYLAND_DISPLAY LANG=C.UTF-8 " + std::string(CDSETUP_PATH) +
                       " --lang English --medium '" + temp_ / "medium" + "' --prefix '" +
                       temp_ / prefix + "'",
                   temp_.path());
    ASSERT_EQ(terminal.Wait(), 0) << terminal.Output();
    EXPECT_TRUE(Exists(temp_ / (prefix + "/drive_c/Games/Demo/demo.exe")));
    const std::string out = terminal.Output();
    const std::size_t from = out.find("(a or Esc)\r\n");
    ASSERT_NE(from, std::string::npos) << out;
    const std::string progress = out.substr(from + 14, out.find('\n', from + 14) - from - 14);
    EXPECT_NE(progress.find("% Copying"), std::string::npos) << progress;
    for (const std::size_t chars : testing::RewrittenLineWidths(progress)) {
      EXPECT_LT(chars, static_cast<std::size_t>(columns));
    }
  }
}

TEST_F(CdsetupTest, TheAbortKeyOrCtrlCDuringTheCopyEndsItWithStatusOne) {
  // A medium long enough to copy that the key comes while it runs.
  ASSERT_TRUE(demo::BuildDemoMedium(temp_ / "long", demo::DemoOptions{3000, 0.5}).ok());
  const std::pair<const char*, const char*> cases[] = {
      {"a", "abort key pressed: the abort button pressed"},
      {"\x03", "interrupted: the abort button pressed"},
  };
  int run = 0;
  for (const auto& [key, logged] : cases) {
    SCOPED_TRACE(logged);
    const std::string prefix = temp_ / ("abort" + std::to_string(run));
    const std::string log = temp_ / ("abort" + std::to_string(run++) + ".txt");
    testing::PseudoTerminal terminal(80);
    terminal.Spawn("env -u DISPLAY -u WAYLAND_DISPLAY LANG=C.UTF-8 " + std::string(CDSETUP_PATH) +
                       " --silent --accept-licence --type max --lang English --medium '" +
                       temp_ / "long" + "' --prefix '" + prefix + "' --log '" + log + "'",
                   temp_.path());
    ASSERT_TRUE(terminal.WaitFor("(a or Esc)")) << terminal.Output();
    terminal.Type(key);
    EXPECT_EQ(terminal.Wait(), 1) << terminal.Output();
    const std::string written = ReadFile(log);
    EXPECT_NE(written.find(logged), std::string::npos) << written;
    EXPECT_NE(written.find("exit status 1"), std::string::npos) << written;
    // Stopped where it was: the last files of the list were never copied.
    EXPECT_FALSE(Exists(prefix + "/drive_c/Games/Demo/Dodatki/Zestaw59/plik2999.dat"));
  }
}

TEST_F(CdsetupTest, CtrlCClosesTheOneQuestionItComesAt) {
  testing::PseudoTerminal terminal(80);
  terminal.Answer("for help): ", "\n");    // install
  terminal.Answer("for help): ", "\x03");  // Ctrl-C at the licence: back at the main page
  terminal.Answer("for help): ", "\n");    // install after all
  terminal.Answer("for help): ", "2\n");   // accept the licence
  terminal.Answer("for help): ", "1\n");   // the standard version
  terminal.Answer("for help): ", "\n");    // the proposed folder
  terminal.Answer("answer (", "y\n");      // create it
  terminal.Answer("answer (", "\n");       // setup is complete
  terminal.Answer("answer (", "\x03");     // the level editor: No, and only to it
  terminal.Answer("answer (", "y\n");      // the drivers are still asked
  terminal.Answer("answer (", "n\n");      // DirectX
  terminal.Spawn("env -u DISPLAY -u WAYLAND_DISPLAY LANG=C.UTF-8 CDSETUP_DEMO_RECORD='" +
                     temp_ / "ran.txt" + "' " + std::string(CDSETUP_PATH) + " --lang English " +
                     Common(),
                 temp_.path());
  ASSERT_EQ(terminal.Wait(), 0) << terminal.Output();
  const std::string log = ReadFile(temp_ / "log.txt");
  EXPECT_NE(log.find("interrupted: page cancelled"), std::string::npos) << log;
  EXPECT_NE(log.find("Install the level editor? -> interrupted: No"), std::string::npos) << log;
  const std::string ran = ReadFile(temp_ / "ran.txt");
  EXPECT_EQ(ran.find("edytor.sh"), std::string::npos) << ran;
  EXPECT_NE(ran.find("sterowniki.sh"), std::string::npos) << ran;
  EXPECT_TRUE(Exists(C("Games/Demo/demo.exe")));
}

TEST_F(CdsetupTest, GivingUpOrBadInputEndsWithAReasonAndItsStatus) {
  ProgramRun refused = Cdsetup(Common() + " --silent --lang English");
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("licence"), std::string::npos) << refused.err;
  EXPECT_FALSE(Exists(C("Games/Demo")));

  ProgramRun no_medium =
      Cdsetup("--medium '" + temp_ / "nothing" + "' --prefix '" + temp_ / "p2" + "'");
  EXPECT_EQ(no_medium.status, 4);
  EXPECT_EQ(std::count(no_medium.err.begin(), no_medium.err.end(), '\n'), 1) << no_medium.err;
  EXPECT_FALSE(Exists(temp_ / "p2"));  // nothing written

  testing::MakeDirs(temp_ / "empty");
  ProgramRun no_script =
      Cdsetup("--medium '" + temp_ / "empty" + "' --prefix '" + temp_ / "p3" + "'");
  EXPECT_EQ(no_script.status, 4);
  EXPECT_NE(no_script.err.find("install.ini"), std::string::npos);

  ProgramRun bad_option = Cdsetup("--type huge");
  EXPECT_EQ(bad_option.status, 4);

  // A silent run cannot ask which language was meant.
  ProgramRun no_language = Cdsetup(Common() + " --silent --accept-licence --lang Deutsch");
  EXPECT_EQ(no_language.status, 4) << no_language.err;
  EXPECT_NE(no_language.err.find("--lang Deutsch: the script has no such language"),
            std::string::npos)
      << no_language.err;
  EXPECT_FALSE(Exists(C("Games/Demo")));

  // A target folder that cannot be made is the copy's failure, not a cancel.
  testing::WriteFile(C("Plik"), "a file where a folder should go");
  ProgramRun uncreatable =
      Cdsetup(Common() + " --silent --accept-licence --lang English --dir 'C:\\Plik\\Gra'");
  EXPECT_EQ(uncreatable.status, 2) << uncreatable.err;

  // The console's input ends at once: the main dialog is left, status 1.
  ProgramRun eof = Cdsetup(Common());
  EXPECT_EQ(eof.status, 1);
  EXPECT_NE(eof.err.find("cdsetup: "), std::string::npos);

  ProgramRun help = Cdsetup("--help");
  EXPECT_EQ(help.status, 0);
  for (const char* option :
       {"--medium", "--prefix", "--ui", "--silent", "--lang", "--type", "--dir", "--accept-licence",
        "--log", "--codepage", "--version", "Exit status"}) {
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  }
}

TEST_F(CdsetupTest, AFullDiskEndsTheCopyAndLeavesOnlyWholeFiles) {
  const std::string install = " --silent --accept-licence --lang English";
  ProgramRun whole = Cdsetup(Common() + install);
  ASSERT_EQ(whole.status, 0) << whole.err;
  const auto expected = testing::FilesWithBytes(C("Games/Demo"));
  // What the copied files take on a tmpfs; the script and the picture are
  // copied after them.
  std::uintmax_t pages = 0;
  for (const auto& [name, bytes] : expected) {
    if (name != "install.ini" && name != "tlo.bmp") pages += (bytes.size() + 4095) / 4096;
  }
  fs::remove_all(temp_ / "prefix");

  if (::geteuid() != 0) GTEST_SKIP() << "only root can mount the small file system";
  // The disk fills up early, half-way and in the last sound.
  for (std::uintmax_t room : {pages / 4, pages / 2, pages - 1}) {
    SCOPED_TRACE("room for " + std::to_string(room) + " of " + std::to_string(pages) + " pages");
    const std::string games = C("Games");
    testing::MakeDirs(games);
    ASSERT_EQ(::mount("tmpfs", games.c_str(), "tmpfs", 0,
                      ("size=" + std::to_string(room * 4096)).c_str()),
              0);
    fs::remove(temp_ / "log.txt");
    ProgramRun full = Cdsetup(Common() + install);
    const auto left = testing::FilesWithBytes(C("Games/Demo"));
    ::umount2(games.c_str(), MNT_DETACH);
    fs::remove_all(temp_ / "prefix");

    EXPECT_EQ(full.status, 2) << full.err;
    const std::string log = ReadFile(temp_ / "log.txt");
    // The page's error names what could not be written.
    const std::size_t box = log.find("message copy-failed (error) Copy failed: Cannot write ");
    EXPECT_NE(box, std::string::npos) << log;
    EXPECT_EQ(log.find("Setup is complete"), std::string::npos);
    ASSERT_FALSE(left.empty());
    // Each file there is whole: no WAV cut short, no compressed entry.
    for (const auto& [name, bytes] : left) {
      const auto want = expected.find(name);
      ASSERT_NE(want, expected.end()) << name << " is left over";
      EXPECT_TRUE(bytes == want->second)
          << name << " differs: " << bytes.size() << " of " << want->second.size() << " bytes";
    }
  }
}

TEST_F(CdsetupTest, NothingIsWrittenOnTheCd) {
  const auto medium = testing::FilesWithBytes(temp_ / "medium");
  const std::string install = Common() + " --silent --accept-licence --lang English";
  // A target that is not a full path lands on the CD, which refuses it: a
  // folder that cannot be made, status 2.
  for (const char* dir : {"Gry", "\\Gry", "D:\\Gry", "D:Gry"}) {
    SCOPED_TRACE(dir);
    ProgramRun run = Cdsetup(install + " --dir '" + dir + "'");
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_NE(ReadFile(temp_ / "log.txt").find("The folder cannot be created."), std::string::npos);
    fs::remove(temp_ / "log.txt");
  }
  EXPECT_FALSE(Exists(C("Games")));

  // A Programs folder too long for a path leaves the Start-menu folder
  // unmade: the shortcuts fail, the fallback record is kept. A prefix
  // without the value gets Wine's own back, and the shortcuts.
  ASSERT_EQ(Cdsetup(install).status, 0);
  const std::string user_reg = ReadFile(temp_ / "prefix/user.reg");
  const std::size_t programs = user_reg.find("\n\"Programs\"=");
  ASSERT_NE(programs, std::string::npos);
  const std::size_t end = user_reg.find('\n', programs + 1);
  for (const std::string& value :
       {std::string(), "\n\"Programs\"=\"C:\\\\" + std::string(200, 'x') + "\""}) {
    SCOPED_TRACE(value.empty() ? "no Programs value" : "a Programs value of 203 characters");
    testing::WriteFile(temp_ / "prefix/user.reg",
                       user_reg.substr(0, programs) + value + user_reg.substr(end));
    ProgramRun run = Cdsetup(Common() + " --silent --accept-licence --lang Polski --codepage 1250");
    EXPECT_EQ(run.status, value.empty() ? 0 : 3) << run.err << ReadFile(temp_ / "log.txt");
    auto p = Prefix();
    ASSERT_TRUE(p);
    if (value.empty()) {
      EXPECT_TRUE(
          p->ReadShellLink(
               *Value(*p, platform::RegRoot::kCurrentUser,
                      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                      "Programs") +
               "\\Torvanel\\Demo \xAF\xF3\xB3w\\Demo.lnk")
              .ok());
    } else {
      EXPECT_EQ(Value(*p, platform::RegRoot::kCurrentUser, "Software\\Torvanel\\DemoSwiatla_Polski",
                      "Program"),
                "C:\\Gry\\Demo");
    }
  }
  EXPECT_TRUE(testing::FilesWithBytes(temp_ / "medium") == medium) << "the medium was changed";
}

// A drive too small for the install: a silent run ends as a failed copy
// before it writes anything there.
TEST_F(CdsetupTest, ASilentInstallOntoADriveTooSmallWritesNothing) {
  const std::string small = temp_ / "small";
  const testing::ScopedTmpfs drive(small, "64k");
  if (!drive.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
  testing::MakeDirs(temp_ / "prefix/drive_c");
  testing::MakeDirs(temp_ / "prefix/dosdevices");
  ASSERT_EQ(::symlink(small.c_str(), (temp_ / "prefix/dosdevices/e:").c_str()), 0);
  ProgramRun run = Cdsetup(Common() + " --silent --accept-licence --lang English --dir 'E:\\Demo'");
  EXPECT_EQ(run.status, 2) << run.err;
  EXPECT_NE(ReadFile(temp_ / "log.txt").find("not enough free space on E:\\: "), std::string::npos)
      << ReadFile(temp_ / "log.txt");
  EXPECT_TRUE(testing::FilesWithBytes(small).empty());
  EXPECT_FALSE(Exists(small + "/Demo"));
}

// The texts are in their language's code page, the names in the system's.
// Polish chosen on a machine that speaks English or German reaches the disk
// as the Polish it is: the Start-menu folder, a listed file's name, the
// registry's DisplayName, the log. English chosen on a Polish machine goes
// into a Polish folder typed on the command line, which the registry holds
// as the game will read it. A folder the system cannot spell is refused.
TEST_F(CdsetupTest, TextsKeepTheirLanguagesLettersAndNamesTheSystems) {
  const std::string zolw = "\xC5\xBB\xC3\xB3\xC5\x82w";  // Żółw in UTF-8
  const std::string lodz =
      "\xC5\xBB\xC3\xB3\xC5\x82ta \xC5\x81\xC3\xB3"
      "d\xC5\xBA";  // Żółta Łódź
  // A listed file of a Polish name, from the Polish section's code page.
  ASSERT_TRUE(demo::BuildDemoMedium(temp_ / "medium", demo::DemoOptions{0, 0.2},
                                    {{"Dokumenty/" + zolw + ".txt", "notatka"}})
                  .ok());
  struct Case {
    const char* locale;
    const char* language;
    std::string dir;  // --dir, in UTF-8; "" for the script's default
    int status;
    std::string installed;    // the target below drive_c, in UTF-8
    std::string menu;         // the Start-menu folder's program name
    std::string program_reg;  // ProgramPath as Wine escapes it
  };
  const Case cases[] = {
      {"en_US.UTF-8", "Polski", "", 0, "Gry/Demo", "Demo " + zolw, "C:\\\\Gry\\\\Demo"},
      {"de_DE.UTF-8", "Polski", "", 0, "Gry/Demo", "Demo " + zolw, "C:\\\\Gry\\\\Demo"},
      {"pl_PL.UTF-8", "English", "C:\\Gry\\" + lodz, 0, "Gry/" + lodz, "Demo of the Lights",
       "C:\\\\Gry\\\\\\x17b\\xf3\\x142ta \\x141\\x00f3d\\x17a"},
      {"en_US.UTF-8", "Polski", "C:\\Gry\\" + zolw, 4, "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.locale) + " " + c.language + " " + c.dir);
    const std::string name = std::string(c.locale) + "-" + c.language + std::to_string(c.status);
    const std::string prefix = temp_ / ("prefix-" + name);
    const std::string log = temp_ / ("log-" + name);
    ProgramRun run =
        Cdsetup("--medium '" + temp_ / "medium" + "' --prefix '" + prefix + "' --log '" + log +
                    "' --silent --accept-licence --type max --lang " + c.language +
                    (c.dir.empty() ? "" : " --dir '" + c.dir + "'"),
                "", std::string("LC_ALL=") + c.locale + " USER=alice");
    ASSERT_EQ(run.status, c.status) << run.err << ReadFile(log);
    if (c.status != 0) {
      EXPECT_NE(run.err.find("code page 1252 cannot spell it"), std::string::npos) << run.err;
      EXPECT_FALSE(Exists(prefix + "/drive_c/Gry"));
      continue;
    }
    const std::string target = prefix + "/drive_c/" + c.installed + "/";
    EXPECT_TRUE(Exists(target + "demo.exe"));
    EXPECT_EQ(ReadFile(target + "Dokumenty/" + zolw + ".txt"), "notatka");
    const std::string programs =
        prefix + "/drive_c/users/alice/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/";
    EXPECT_TRUE(Exists(programs + "Torvanel/" + c.menu + "/Demo.lnk"));
    // The registry files hold the letters as Wine escapes them.
    EXPECT_NE(ReadFile(prefix + "/user.reg").find("\"ProgramPath\"=\"" + c.program_reg + "\"\n"),
              std::string::npos)
        << ReadFile(prefix + "/user.reg");
    const std::string system_reg = ReadFile(prefix + "/system.reg");
    EXPECT_NE(system_reg.find("\"UninstallString\"=\"" + c.program_reg + "\\\\odinstaluj.exe\"\n"),
              std::string::npos)
        << system_reg;
    const std::string text = ReadFile(log);
    EXPECT_TRUE(platform::IsValidUtf8(text));
    // The log reads names in the system's code page, texts in theirs.
    std::string windows_target = "C:\\" + c.installed;
    std::replace(windows_target.begin(), windows_target.end(), '/', '\\');
    EXPECT_NE(text.find("ProgramPath = " + windows_target + "\n"), std::string::npos) << text;
    if (std::string(c.language) == "Polski") {
      EXPECT_NE(system_reg.find("\"DisplayName\"=\"Demo \\x17b\\xf3\\x142w\"\n"), std::string::npos)
          << system_reg;
      EXPECT_NE(text.find("the texts of Polski are read in code page 1250"), std::string::npos);
      EXPECT_NE(text.find("Demo " + zolw +
                          " \xC5\x9A"
                          "wiat\xC5\x82"
                          "a"),
                std::string::npos)
          << text;  // the main dialog's caption, Demo Żółw Światła
    }
  }
  // A default folder an English system cannot spell (a UTF-8 value in the
  // English section): the copy is refused before it starts, with the reason.
  const std::string script = ReadFile(temp_ / "medium/install.ini");
  const std::string english = "IDS_DOMYSLNY_KATALOG=C:\\Games\\Demo";
  ASSERT_NE(script.find(english), std::string::npos);
  std::string unfit = script;
  unfit.replace(unfit.find(english), english.size(), "IDS_DOMYSLNY_KATALOG=C:\\Gry\\" + zolw);
  testing::WriteFile(temp_ / "medium/install.ini", unfit);
  const std::string prefix = temp_ / "prefix-unfit";
  ProgramRun run = Cdsetup("--medium '" + temp_ / "medium" + "' --prefix '" + prefix +
                               "' --silent --accept-licence --lang English",
                           "", "LC_ALL=en_US.UTF-8");
  EXPECT_EQ(run.status, 2) << run.err;
  EXPECT_NE(run.err.find("the default directory: the name"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("which code page 1252 cannot hold in a file name"), std::string::npos)
      << run.err;
  EXPECT_FALSE(Exists(prefix + "/drive_c/Gry"));
}

// Every regular file below `dir`.
std::set<std::string> FilesBelow(const std::string& dir) {
  std::set<std::string> files;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(dir, ec);
       it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_regular_file(ec)) files.insert(it->path().string());
  }
  return files;
}

// English chosen on a Polish system, at the console: the target page shows
// and takes the system's names, so a Polish folder picked in the list or
// typed is the one the game gets; a letter the system cannot spell is
// refused, not made into another folder.
TEST_F(CdsetupTest, TheConsoleTargetPageShowsAndTakesTheSystemsNames) {
  const std::string lodz =
      "\xC5\xBB\xC3\xB3\xC5\x82ta \xC5\x81\xC3\xB3"
      "d\xC5\xBA";  // Żółta Łódź
  // Main page, licence, install type; then the target page's keys; then
  // the closing message and three questions answered No.
  const std::string to_target = "1\n2\n1\n", closing = "\n2\n2\n2\n";
  struct Case {
    const char* what;
    std::string keys;
    std::string shown;  // on the target page, in UTF-8
  };
  const Case cases[] = {
      {"picked in the list", to_target + "4.1!\n4.2!\n1\n" + closing, "> 4.2      " + lodz + "\\"},
      {"typed", to_target + "3 C:\\Gry\\" + lodz + "\n1\n" + closing, "[C:\\Gry\\" + lodz + "]"},
  };
  testing::MakeDirs(C("Gry/" + lodz));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(C("Gry/" + lodz + "/Dane"));
    ProgramRun run =
        Cdsetup(Common() + " --ui console --lang English", c.keys, "LC_ALL=pl_PL.UTF-8");
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find(c.shown), std::string::npos) << run.out;
    EXPECT_TRUE(Exists(C("Gry/" + lodz + "/Dane/Poziomy/poziom1.dat")));
    EXPECT_NE(ReadFile(temp_ / "prefix/user.reg").find("\\x17b\\xf3\\x142ta \\x141\\x00f3d\\x17a"),
              std::string::npos);
  }
  // The letter shows as "?" in the field; the folder is refused with a box
  // and a reason, and nothing is made.
  ProgramRun greek = Cdsetup(Common() + " --ui console --lang English",
                             to_target + "3 C:\\Gry\\\xCE\xA9mega\n1\n1\n",
                             "LC_ALL=pl_PL.UTF-8");  // Ωmega
  EXPECT_EQ(greek.status, 2) << greek.err;
  EXPECT_NE(greek.out.find("[C:\\Gry\\?mega]"), std::string::npos) << greek.out;
  EXPECT_NE(greek.out.find("The folder cannot be created."), std::string::npos) << greek.out;
  EXPECT_NE(greek.err.find("code page 1250 cannot spell in a file name"), std::string::npos)
      << greek.err;
  EXPECT_EQ(FilesBelow(C("Gry")), FilesBelow(C("Gry/" + lodz)));  // nothing beside it
}

// What Wine makes of a Polish installation on an English system. The game
// is a real Windows program that writes down its working directory. Its
// links start it under an English and under a Polish locale alike, the
// desktop's menu gets an entry per shortcut that starts it in its folder,
// and Wine reads the registry values back with their letters.
TEST_F(CdsetupTest, WineStartsAnEnglishInstallInAPolishFolderFromItsLinksInAnyLocale) {
  ASSERT_TRUE(testing::WineInstalled()) << testing::kWineMissing;
  const std::string english = testing::MakeLocale(temp_ / "locale", "en_US");
  const std::string polish = testing::MakeLocale(temp_ / "locale", "pl_PL");
  ASSERT_FALSE(english.empty() || polish.empty()) << testing::kLocaleMissing;
  testing::WriteFile(temp_ / "medium/demo.exe", testing::WorkingDirectoryRecorder());
  real_wine_ = true;
  const std::string lodz =
      "\xC5\xBB\xC3\xB3\xC5\x82ta \xC5\x81\xC3\xB3"
      "d\xC5\xBA";  // Żółta Łódź
  const std::string home = temp_ / "home";
  const std::string desktop_env = " USER=alice HOME='" + home + "' XDG_DATA_HOME='" + home +
                                  "/.local/share' XDG_CONFIG_HOME='" + home + "/.config'";
  ProgramRun run =
      Cdsetup(Common() + " --silent --accept-licence --lang English --dir 'C:\\Gry\\" + lodz + "'",
              "", polish + desktop_env + " WINEDEBUG=-all");
  // Wine runs as the user who installed, as it does on a desktop.
  testing::WineSession cleanup(temp_ / "prefix",
                               polish + desktop_env);  // ends the menu builder's server
  ASSERT_EQ(run.status, 0) << run.err << ReadFile(temp_ / "log.txt");
  // Wine made the new prefix before the copy, and the server our Wine
  // programs started ended with the run: an install right after it into
  // the same prefix is not refused.
  const std::string first_log = ReadFile(temp_ / "log.txt");
  EXPECT_LT(first_log.find("Wine made the prefix in "), first_log.find("copy step: "));
  EXPECT_TRUE(Exists(C("windows/system32/kernel32.dll")));
  EXPECT_NE(first_log.find("waited for the Wine server of the prefix to end"), std::string::npos);
  ProgramRun again =
      Cdsetup(Common() + " --silent --accept-licence --lang English --dir 'C:\\Gry\\" + lodz + "'",
              "", polish + desktop_env + " WINEDEBUG=-all");
  EXPECT_EQ(again.status, 0) << again.err;

  // A menu entry per shortcut, made after the registry writes, each running
  // its link in the game's folder.
  const std::string log = ReadFile(temp_ / "log.txt");
  const std::string links =
      "C:\\users\\alice\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Torvanel\\"
      "Demo of the Lights\\";
  const std::string menu =
      home + "/.local/share/applications/wine/Programs/Torvanel/Demo of the Lights";
  for (const char* shortcut : {"Demo", "Read me", "Uninstall"}) {
    SCOPED_TRACE(shortcut);
    EXPECT_NE(log.find("menu entry for " + links + shortcut + ".lnk\n"), std::string::npos) << log;
    const std::string entry = ReadFile(menu + "/" + shortcut + ".desktop");
    EXPECT_NE(entry.find("\nName=" + std::string(shortcut) + "\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nExec=env WINEPREFIX=\"" + temp_ / "prefix" + "\" wine"),
              std::string::npos)
        << entry;
    EXPECT_NE(entry.find("Lights\\\\\\\\"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nPath=" + temp_ / "prefix/dosdevices/c:/Gry/" + lodz + "\n"),
              std::string::npos)
        << entry;
  }
  EXPECT_LT(log.find("step shortcuts and records: done"), log.find("menu entry for "));
  cleanup.End();

  // The game started from its link, in its folder, under either locale.
  const std::string recorded = C("Gry/" + lodz + "/ran.txt");
  for (const std::string& locale : {english, polish}) {
    SCOPED_TRACE(locale);
    std::filesystem::remove(recorded);
    testing::WineSession wine(temp_ / "prefix", locale + desktop_env);
    testing::CommandResult started =
        wine.Run("wine start /unix '" +
                 C("users/alice/AppData/Roaming/Microsoft/Windows/Start Menu/"
                   "Programs/Torvanel/Demo of the Lights/Demo.lnk") +
                 "'");
    EXPECT_EQ(started.status, 0) << started.out << started.err;
    ASSERT_EQ(wine.Run("wineserver -w").status, 0);  // the game has ended
    EXPECT_EQ(ReadFile(recorded), testing::RecordedDirectory("C:\\Gry\\" + lodz));
  }

  // Wine's own export of the uninstall entry, in UTF-16.
  testing::WineSession wine(temp_ / "prefix", english + desktop_env);
  testing::CommandResult exported = wine.Run(
      "wine reg export "
      "'HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\DemoSwiatla_English' "
      "'Z:" +
      temp_ / "uninstall.reg" + "' /y");
  ASSERT_EQ(exported.status, 0) << exported.out << exported.err;
  const std::string reg = ReadFile(temp_ / "uninstall.reg");
  std::u16string text;
  for (std::size_t i = 2; i + 1 < reg.size(); i += 2) {
    text += static_cast<char16_t>(static_cast<unsigned char>(reg[i]) |
                                  (static_cast<unsigned char>(reg[i + 1]) << 8));
  }
  EXPECT_NE(text.find(u"\"DisplayName\"=\"Demo of the Lights\"\r\n"), std::u16string::npos);
  EXPECT_NE(text.find(u"\"UninstallString\"=\"C:\\\\Gry\\\\\u017B\u00F3\u0142ta "
                      u"\u0141\u00F3d\u017A\\\\odinstaluj.exe\""),
            std::u16string::npos);
}

TEST_F(CdsetupTest, AWineserverOfThePrefixStopsTheInstallBeforeAnythingIsCopied) {
  ASSERT_TRUE(testing::WineInstalled()) << testing::kWineMissing;
  ASSERT_TRUE(Prefix());  // a server needs its prefix to be there
  const std::set<std::string> before = FilesBelow(C(""));
  testing::WineSession wine(temp_ / "prefix");
  ASSERT_EQ(wine.Run("wineserver -p").status, 0);

  ProgramRun refused = Cdsetup(Common() + " --silent --accept-licence --lang English");
  EXPECT_EQ(refused.status, 3) << refused.err;
  const std::string start =
      "cdsetup: Wine is running for the prefix " + temp_ / "prefix" + ": its wineserver (";
  const std::string end =
      ") owns the prefix's registry; close the prefix's Wine programs first "
      "(or end them with \"WINEPREFIX='" +
      temp_ / "prefix" + "' wineserver -k\"), then try again\n";
  EXPECT_EQ(refused.err.substr(0, start.size()), start) << refused.err;
  EXPECT_GE(refused.err.size(), end.size());
  EXPECT_EQ(refused.err.substr(refused.err.size() - std::min(end.size(), refused.err.size())), end)
      << refused.err;
  EXPECT_EQ(FilesBelow(C("")), before);
  EXPECT_FALSE(Exists(C("Games/Demo")));

  ASSERT_EQ(wine.Run("wineserver -k; wineserver -w").status, 0);
  ProgramRun installed = Cdsetup(Common() + " --silent --accept-licence --lang English");
  EXPECT_EQ(installed.status, 0) << installed.err;
  EXPECT_TRUE(Exists(C("Games/Demo/demo.exe")));
}

// Every value the installer writes, read by Wine itself with its type: the
// uninstall entry in HKEY_LOCAL_MACHINE and the product key in
// HKEY_CURRENT_USER, in a Polish folder. The prefix is the installer's own,
// which Wine then takes up. "reg" runs under a Polish locale, so that it
// prints the Polish letters (in the OEM code page, 852).
TEST_F(CdsetupTest, WineReadsEveryRecordOfTheInstallWithItsType) {
  ASSERT_TRUE(testing::WineInstalled()) << testing::kWineMissing;
  const std::string locale = testing::PolishLocale(temp_ / "locale");
  ASSERT_FALSE(locale.empty()) << testing::kPolishLocaleMissing;
  ProgramRun run = Cdsetup(Common() +
                               " --silent --accept-licence --lang Polski --codepage 1250 --dir "
                               "'C:\\Gry\\\xC5\xBB\xC3\xB3\xC5\x82w'",  // Żółw
                           "", locale);  // a Polish system, whose names spell it
  ASSERT_EQ(run.status, 0) << run.err;

  testing::WineSession wine(temp_ / "prefix", locale);
  const std::string zolw = "\xBD\xA2\x88w";  // Żółw in code page 852
  const std::string uninstall =
      "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
      "DemoSwiatla_Polski";
  testing::CommandResult machine = wine.Run("wine reg query '" + uninstall + "'");
  EXPECT_EQ(machine.status, 0) << machine.err;
  // Wine lists the values by name.
  EXPECT_EQ(machine.out, "\r\n" + uninstall + "\r\n    DisplayName    REG_SZ    Demo " + zolw +
                             "\r\n    UninstallString    REG_SZ    C:\\Gry\\" + zolw +
                             "\\odinstaluj.exe\r\n\r\n");
  const std::string product = "HKEY_CURRENT_USER\\Software\\Torvanel\\DemoSwiatla_Polski";
  testing::CommandResult user = wine.Run("wine reg query '" + product + "'");
  EXPECT_EQ(user.status, 0) << user.err;
  EXPECT_EQ(user.out, "\r\n" + product +
                          "\r\n    Lang    REG_SZ    Polski\r\n    ProgramPath    REG_SZ    "
                          "C:\\Gry\\" +
                          zolw + "\r\n\r\n");
}

// The CD as an ISO image and as CUE sheets with BIN tracks of both sector
// sizes installs what the folder does, byte for byte, with the same records
// and links. After the folder install the prefix keeps the CD as its drive;
// an image cannot be kept, and the person is told how to mount it.
TEST_F(CdsetupTest, TheCdAsAnImageInstallsWhatItsFolderDoesByteForByte) {
  const std::string medium = temp_ / "medium";
  ASSERT_TRUE(cdimage::MakeIsoImage(medium, temp_ / "demo.iso", "DEMO").ok());
  testing::MakeDirs(temp_ / "raw");
  testing::MakeDirs(temp_ / "cooked");
  ASSERT_TRUE(cdimage::MakeCueBin(temp_ / "demo.iso", temp_ / "raw/demo.cue", 2352).ok());
  ASSERT_TRUE(cdimage::MakeCueBin(temp_ / "demo.iso", temp_ / "cooked/demo.cue", 2048).ok());
  struct Install {
    std::string medium, prefix, options;
    bool keeps_drive;
  } installs[] = {
      {medium, "folder", "", true},
      {temp_ / "demo.iso", "iso", "", false},
      {temp_ / "raw/demo.cue", "raw", "", false},
      {temp_ / "cooked/demo.cue", "cooked", "", false},
      {medium, "folder-unkept", " --keep-cd-drive=no", false},
  };
  std::map<std::string, std::string> first_files;
  std::vector<std::optional<std::string>> first_records;
  for (const Install& install : installs) {
    SCOPED_TRACE(install.prefix);
    const std::string prefix = temp_ / ("prefix-" + install.prefix);
    ProgramRun run = Cdsetup("--medium '" + install.medium + "' --prefix '" + prefix +
                             "' --silent --accept-licence --type max --lang Polski --codepage "
                             "1250" +
                             install.options);
    ASSERT_EQ(run.status, 0) << run.err;
    std::map<std::string, std::string> files = testing::FilesWithBytes(prefix + "/drive_c");
    // A link records its target's time, which differs from install to install.
    std::erase_if(files, [](const auto& f) { return f.first.ends_with(".lnk"); });
    EXPECT_GT(files.size(), 30u);
    platform::PrefixOptions o;
    o.prefix_dir = prefix;
    o.medium_dir = medium;
    o.code_page = 1250;
    auto p = platform::PrefixPlatform::Open(o);
    ASSERT_TRUE(p.ok());
    const std::string uninstall =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\DemoSwiatla_Polski";
    const std::string product = "Software\\Torvanel\\DemoSwiatla_Polski";
    auto programs =
        Value(**p, platform::RegRoot::kCurrentUser,
              "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Programs");
    ASSERT_TRUE(programs);
    auto link = (*p)->ReadShellLink(*programs + "\\Torvanel\\Demo \xAF\xF3\xB3w\\Demo.lnk");
    ASSERT_TRUE(link.ok());
    std::vector<std::optional<std::string>> records = {
        Value(**p, platform::RegRoot::kLocalMachine, uninstall, "DisplayName"),
        Value(**p, platform::RegRoot::kLocalMachine, uninstall, "UninstallString"),
        Value(**p, platform::RegRoot::kCurrentUser, product, "ProgramPath"),
        Value(**p, platform::RegRoot::kCurrentUser, product, "Lang"),
        link->target,
        link->working_directory};
    if (first_files.empty()) {
      first_files = std::move(files);
      first_records = records;
    } else {
      EXPECT_TRUE(files == first_files);  // no dump of the bytes of every file
      EXPECT_EQ(records, first_records);
    }
    // The drive the game finds its disc in.
    struct stat st;
    const bool linked = ::lstat((prefix + "/dosdevices/d:").c_str(), &st) == 0;
    EXPECT_EQ(linked, install.keeps_drive);
    EXPECT_EQ(Value(**p, platform::RegRoot::kLocalMachine, "Software\\Wine\\Drives", "d:"),
              install.keeps_drive ? std::optional<std::string>("cdrom") : std::nullopt);
    if (install.keeps_drive) {
      EXPECT_EQ(fs::canonical(prefix + "/dosdevices/d:"), fs::canonical(medium));
      EXPECT_NE(run.err.find("as its CD-ROM drive D:"), std::string::npos) << run.err;
    }
    const bool told_to_mount = run.err.find("mount the image") != std::string::npos;
    EXPECT_EQ(told_to_mount, install.prefix != "folder" && install.prefix != "folder-unkept")
        << run.err;
  }
}

// Wine refuses a relative WINEPREFIX: a prefix named relative to the
// current folder reaches it as an absolute path.
TEST_F(CdsetupTest, ARelativePrefixReachesWineAsAnAbsolutePath) {
  testing::WriteFile(temp_ / "bin2/wine",
                     "#!/bin/sh\necho \"$WINEPREFIX\" >> \"$(dirname \"$0\")/prefixes.txt\"\n");
  ::chmod((temp_ / "bin2/wine").c_str(), 0755);
  ProgramRun run = testing::RunProgram(
      "cd '" + temp_.path() + "' && env -u DISPLAY -u WAYLAND_DISPLAY " + "HOME='" +
          temp_ / "home" + "' PATH='" + temp_ / "bin2" + "':\"$PATH\" LANG=C " + program_ +
          " --medium medium --prefix relative --silent --accept-licence --lang English",
      "", temp_);
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string asked = ReadFile(temp_ / "bin2/prefixes.txt");
  ASSERT_FALSE(asked.empty());
  std::size_t start = 0;
  for (std::size_t end; (end = asked.find('\n', start)) != std::string::npos; start = end + 1) {
    const std::string prefix = asked.substr(start, end - start);
    EXPECT_EQ(prefix.front(), '/') << prefix;
  }
  EXPECT_TRUE(Exists(temp_ / "relative/drive_c/Games/Demo/demo.exe"));
}

// A damaged image ends the copy with the copy's status and the name of the
// file it could not read, and the install is not reported as done.
TEST_F(CdsetupTest, ADamagedImageEndsTheCopyNamingTheFile) {
  ASSERT_TRUE(cdimage::MakeIsoImage(temp_ / "medium", temp_ / "demo.iso", "DEMO").ok());
  const std::string good = ReadFile(temp_ / "demo.iso");
  auto disc = platform::DiscImage::Open(temp_ / "demo.iso");
  ASSERT_TRUE(disc.ok());
  auto readme = disc.value()->Find({"czytaj.txt"});
  ASSERT_TRUE(readme.ok());
  // Its directory records (both-endian extent) point past the image's end.
  std::string past_end = good;
  unsigned char from[8], to[8];
  for (int i = 0; i < 4; ++i) {
    from[i] = from[7 - i] = static_cast<unsigned char>(readme->lsn >> (8 * i));
    to[i] = to[7 - i] = static_cast<unsigned char>(0x00F00000u >> (8 * i));
  }
  for (std::size_t at = 16 * 2048; at + 8 <= std::min<std::size_t>(good.size(), 200 * 2048); ++at) {
    if (std::memcmp(past_end.data() + at, from, 8) == 0) std::memcpy(past_end.data() + at, to, 8);
  }
  const std::pair<const char*, std::string> damaged[] = {
      {"czytaj.txt", past_end},
      // genisoimage pads the end with 300 KiB of nothing.
      {"cut short", good.substr(0, good.size() - 600 * 1024)},
  };
  for (const auto& [named, bytes] : damaged) {
    SCOPED_TRACE(named);
    testing::WriteFile(temp_ / "damaged.iso", bytes);
    fs::remove_all(temp_ / "prefix");
    ProgramRun run =
        Cdsetup("--medium '" + temp_ / "damaged.iso" + "' --prefix '" + temp_ / "prefix" +
                "' --silent --accept-licence --type max --lang "
                "English");
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_NE(run.err.find(named), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("CD image is damaged or cut short"), std::string::npos) << run.err;
  }
}

// Wine itself takes the kept drive for a CD-ROM drive.
TEST_F(CdsetupTest, WineSeesTheKeptCdAsACdRomDrive) {
  ASSERT_TRUE(testing::WineInstalled()) << testing::kWineMissing;
  ProgramRun run = Cdsetup(Common() + " --silent --accept-licence --lang English");
  ASSERT_EQ(run.status, 0) << run.err;
  testing::WineSession wine(temp_ / "prefix");
  testing::CommandResult disks = wine.Run("wine wmic logicaldisk get DeviceID,DriveType");
  ASSERT_EQ(disks.status, 0) << disks.err;
  std::string text;  // wmic writes UTF-16: its ASCII letters are enough here
  for (char c : disks.out) {
    if (c != '\0' && c != '\r' && static_cast<unsigned char>(c) < 0x80) text += c;
  }
  EXPECT_NE(text.find("D:  5"), std::string::npos) << text;  // 5: DRIVE_CDROM
}

#if CDSETUP_WITH_QT
TEST_F(CdsetupTest, WindowsNeedADisplaySilentRunsDoNot) {
  const std::string no_display = "QT_QPA_PLATFORM=xcb DISPLAY=:97";
  ProgramRun windows = Cdsetup(Common() + " --lang English", "", no_display);
  EXPECT_EQ(windows.status, 4);
  EXPECT_EQ(windows.err,
            "cdsetup: cannot open the display :97 for the Qt interface; use --ui console\n");
  EXPECT_FALSE(Exists(temp_ / "prefix"));  // nothing written

  ProgramRun silent =
      Cdsetup(Common() + " --ui qt --silent --accept-licence --lang English", "", no_display);
  EXPECT_EQ(silent.status, 0) << silent.err;
  EXPECT_TRUE(Exists(C("Games/Demo")));
}

TEST_F(CdsetupTest, TheWindowsAreAModuleBesideTheExecutable) {
  // The windows open: the module loads with every symbol it needs bound.
  // Nobody answers them, so the run is ended once the first page is shown.
  const std::string log = temp_ / "log.txt";
  (void)testing::RunProgram("env QT_QPA_PLATFORM=offscreen HOME='" + temp_ / "home" + "' PATH='" +
                                temp_ / "bin" + "':\"$PATH\" " + program_ + " " + Common() +
                                " --lang English 2>'" + temp_ / "err.txt" +
                                "' & pid=$!; i=0; until grep -q ' shown: ' '" + log +
                                "' 2>/dev/null || [ $i -ge 600 ]; do sleep 0.1; i=$((i+1)); done; "
                                "kill $pid; wait $pid 2>/dev/null",
                            "", temp_);
  // Only why the start takes a moment: Wine was asked for the new prefix.
  EXPECT_EQ(ReadFile(temp_ / "err.txt"),
            "cdsetup: Wine is making the prefix " + temp_ / "prefix" + "; this takes a while\n");
  EXPECT_NE(ReadFile(log).find("page 102 shown: Demo of the Lights - setup"), std::string::npos)
      << ReadFile(log);

  // Without the module beside it, a run that would have shown windows by
  // default uses the console; one that asks for them stops before writing.
  std::filesystem::create_directories(temp_ / "alone");
  std::filesystem::copy_file(CDSETUP_PATH, temp_ / "alone/cdsetup");
  program_ = temp_ / "alone/cdsetup";
  ProgramRun fallback = Cdsetup(Common() + " --lang English", "", "QT_QPA_PLATFORM=offscreen");
  EXPECT_EQ(fallback.status, 1);  // the console's input ends at once
  EXPECT_NE(
      fallback.err.find("cdsetup: cannot load the Qt interface " + temp_ / "alone/cdsetup-qt.so"),
      std::string::npos)
      << fallback.err;
  EXPECT_NE(fallback.err.find("; using the console\n"), std::string::npos) << fallback.err;
  EXPECT_NE(fallback.out.find("Demo of the Lights - setup"), std::string::npos);

  std::filesystem::remove_all(temp_ / "prefix");
  ProgramRun asked = Cdsetup(Common() + " --ui qt --lang English", "", "QT_QPA_PLATFORM=offscreen");
  EXPECT_EQ(asked.status, 4);
  EXPECT_NE(asked.err.find("; use --ui console\n"), std::string::npos) << asked.err;
  EXPECT_FALSE(Exists(temp_ / "prefix"));  // nothing written
}
#endif

}  // namespace
}  // namespace cdsetup
