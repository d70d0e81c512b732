// What the installer's logic relies on of its platform, held to one set of
// cases: on Linux against the prefix platform, on Windows (and under Wine)
// against the real API. Each case writes below the environment's own folder.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/create_directory_path.h"
#include "platform/platform.h"

#if defined(_WIN32)
#include "support/win32_contract_env.h"
#else
#include "support/prefix_contract_env.h"
#endif

namespace cdsetup::platform {
namespace {

template <typename Env>
class PlatformContract : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(env_.platform(), nullptr) << Env::kName << " did not open"; }

  Platform& P() { return *env_.platform(); }
  std::string At(const std::string& relative) const { return env_.Dir() + "\\" + relative; }

  void Write(const std::string& path, const std::string& content) {
    auto f = P().OpenFile(path, "wb");
    ASSERT_TRUE(f.ok()) << f.status().ToString();
    ASSERT_EQ(std::fwrite(content.data(), 1, content.size(), f->get()), content.size());
  }
  std::string Read(const std::string& path) {
    auto f = P().OpenFile(path, "rb");
    if (!f.ok()) return "<" + f.status().ToString() + ">";
    std::string content;
    char chunk[4096];
    while (std::size_t n = std::fread(chunk, 1, sizeof chunk, f->get())) content.append(chunk, n);
    return content;
  }
  std::string Profile(const std::string& section, const std::string& key, const std::string& path,
                      std::size_t size = 260, const std::string& def = "dflt") {
    std::vector<char> buffer(size, 'X');
    std::size_t n = P().GetPrivateProfileStringA(section, key, def, buffer, path);
    std::string value(buffer.data());
    return n == value.size() ? value : "<count " + std::to_string(n) + " for " + value + ">";
  }
  static std::vector<std::string> Names(const std::vector<ProfileEntry>& entries) {
    std::vector<std::string> names;
    for (const ProfileEntry& e : entries) names.push_back(e.name + (e.repeated ? " (again)" : ""));
    return names;
  }

  Env env_;
};

#if defined(_WIN32)
using Platforms = ::testing::Types<testing::Win32ContractEnv>;
#else
using Platforms = ::testing::Types<testing::PrefixContractEnv>;
#endif
struct PlatformName {
  template <typename T>
  static std::string GetName(int) {
    return T::kName;
  }
};
TYPED_TEST_SUITE(PlatformContract, Platforms, PlatformName);

TYPED_TEST(PlatformContract, ProfileReadsGiveTheDefaultTheFirstSectionAndTheCutValue) {
  const std::string ini = this->At("setup.ini");
  this->Write(ini,
              "[Option]\r\nName =  Gra  \r\nQuoted=\"  spaced  \"\r\nName=later\r\n"
              "[option]\r\nOnlyInSecond=x\r\n[Other]\r\nKey=v\r\n");
  EXPECT_EQ(this->Profile("OPTION", "name", ini), "Gra");
  EXPECT_EQ(this->Profile("Option", "Quoted", ini), "  spaced  ");
  // The first of two sections of one name is the one read.
  EXPECT_EQ(this->Profile("Option", "OnlyInSecond", ini), "dflt");
  EXPECT_EQ(this->Profile("Other", "key", ini), "v");
  // Missing key, section or file: the default.
  EXPECT_EQ(this->Profile("Option", "None", ini), "dflt");
  EXPECT_EQ(this->Profile("Nothing", "Name", ini), "dflt");
  EXPECT_EQ(this->Profile("Option", "Name", this->At("missing.ini")), "dflt");
  // Cut to the buffer less one, and counted so.
  EXPECT_EQ(this->Profile("Other", "Key", ini, 1), "");
  EXPECT_EQ(this->Profile("Option", "Name", ini, 3), "Gr");
  // A relative name is found in the current directory.
  ASSERT_TRUE(this->P().SetCurrentDirectoryA(this->env_.Dir()).ok());
  EXPECT_EQ(this->Profile("option", "NAME", "setup.ini"), "Gra");
}

TYPED_TEST(PlatformContract, ProfileListsSectionsAndKeysInFileOrderRepeatsMarked) {
  const std::string ini = this->At("list.ini");
  this->Write(ini, "[Option]\r\nB=1\r\nA=2\r\nb=3\r\n[Files]\r\nX=1\r\n[OPTION]\r\nC=4\r\n");
  EXPECT_EQ(this->Names(this->P().GetPrivateProfileSectionNamesA(ini)),
            (std::vector<std::string>{"Option", "Files", "OPTION (again)"}));
  EXPECT_EQ(this->Names(this->P().GetPrivateProfileSectionA("option", ini)),
            (std::vector<std::string>{"B", "A", "b (again)"}));
  EXPECT_TRUE(this->P().GetPrivateProfileSectionA("None", ini).empty());
  EXPECT_TRUE(this->P().GetPrivateProfileSectionNamesA(this->At("missing.ini")).empty());
  // Each on its line, for a report that points there.
  auto lines = [](const std::vector<ProfileEntry>& entries) {
    std::vector<std::size_t> out;
    for (const ProfileEntry& e : entries) out.push_back(e.line);
    return out;
  };
  EXPECT_EQ(lines(this->P().GetPrivateProfileSectionNamesA(ini)),
            (std::vector<std::size_t>{1, 5, 7}));
  EXPECT_EQ(lines(this->P().GetPrivateProfileSectionA("OPTION", ini)),
            (std::vector<std::size_t>{2, 3, 4}));
}

TYPED_TEST(PlatformContract, ProfileWritesCreateTheFileSectionAndKeyAndReadOnlyIsRefused) {
  const std::string ini = this->At("new.ini");
  ASSERT_TRUE(this->P().WritePrivateProfileStringA("Option", "Language", "Polski", ini).ok());
  ASSERT_TRUE(this->P().WritePrivateProfileStringA("Option", "Type", "max", ini).ok());
  ASSERT_TRUE(this->P().WritePrivateProfileStringA("option", "language", "English", ini).ok());
  EXPECT_EQ(this->Profile("Option", "Language", ini), "English");
  EXPECT_EQ(this->Profile("Option", "Type", ini), "max");
  this->env_.MakeReadOnly(ini);
  EXPECT_TRUE(this->P().WritePrivateProfileStringA("Option", "Type", "min", ini).IsRefused());
  EXPECT_EQ(this->Profile("Option", "Type", ini), "max");
}

TYPED_TEST(PlatformContract, RegistryValuesRoundTripAsStringsUnderBothRoots) {
  for (RegRoot root : {RegRoot::kCurrentUser, RegRoot::kLocalMachine}) {
    SCOPED_TRACE(root == RegRoot::kCurrentUser ? "HKCU" : "HKLM");
    // A key of this run's own: a Windows registry outlives the run.
    const std::string dir = this->env_.Dir();
    const std::string path =
        "Software\\CdsetupContract\\" + dir.substr(dir.rfind('\\') + 1) + "\\Levels\\Made";
    EXPECT_TRUE(this->P().RegOpenKeyA(root, path).status().IsNotFound());
    auto key = this->P().RegCreateKeyA(root, path);
    ASSERT_TRUE(key.ok()) << key.status().ToString();
    // Bytes that are letters in both 1250 and 1252.
    const std::string text = "C:\\Gry\\\xB3\xEA\xF3 z\xB9";
    ASSERT_TRUE(this->P().RegSetValueA(*key, "ProgramPath", text).ok());
    ASSERT_TRUE(this->P().RegSetValueA(*key, "", "default value").ok());
    this->P().RegCloseKey(*key);
    EXPECT_EQ(this->env_.RegValueType(root, path, "ProgramPath"), 1u);  // REG_SZ

    auto again = this->P().RegOpenKeyA(root, this->P().CharLowerA(path));
    ASSERT_TRUE(again.ok()) << again.status().ToString();
    auto read = this->P().RegQueryValueA(*again, "programpath");
    ASSERT_TRUE(read.ok()) << read.status().ToString();
    EXPECT_EQ(*read, text);
    EXPECT_EQ(this->P().RegQueryValueA(*again, "").value(), "default value");
    EXPECT_TRUE(this->P().RegQueryValueA(*again, "Missing").status().IsNotFound());
    ASSERT_TRUE(this->P().RegDeleteValueA(*again, "ProgramPath").ok());
    EXPECT_TRUE(this->P().RegQueryValueA(*again, "ProgramPath").status().IsNotFound());
    EXPECT_TRUE(this->P().RegDeleteValueA(*again, "ProgramPath").IsNotFound());
    this->P().RegCloseKey(*again);
    // The levels above were made too.
    auto parent = this->P().RegOpenKeyA(root, path.substr(0, path.rfind("\\Levels")));
    EXPECT_TRUE(parent.ok());
    if (parent.ok()) this->P().RegCloseKey(*parent);
  }
  EXPECT_TRUE(this->P().RegistryWritable().ok());
}

TYPED_TEST(PlatformContract, CopiesOverwriteRefuseOnAskAndReplaceReadOnlyOnlyAfterAttributes) {
  this->Write(this->At("source.txt"), "new content");
  this->Write(this->At("target.txt"), "old");
  ASSERT_TRUE(this->P().CopyFileA(this->At("SOURCE.TXT"), this->At("target.txt")).ok());
  EXPECT_EQ(this->Read(this->At("target.txt")), "new content");
  EXPECT_TRUE(
      this->P().CopyFileA(this->At("source.txt"), this->At("target.txt"), true).IsAlreadyExists());
  EXPECT_TRUE(this->P().CopyFileA(this->At("missing.txt"), this->At("b.txt")).IsNotFound());
  EXPECT_FALSE(this->P().CopyFileA(this->At("source.txt"), this->At("NoDir\\b.txt")).ok());
  EXPECT_TRUE(this->P().GetFileInfo(this->At("NoDir")).status().IsNotFound());

  // A read-only copy stays read-only until its attributes are set.
  this->Write(this->At("ro.txt"), "read-only source");
  this->env_.MakeReadOnly(this->At("ro.txt"));
  ASSERT_TRUE(this->P().CopyFileA(this->At("ro.txt"), this->At("copy.txt")).ok());
  EXPECT_TRUE(this->P().GetFileInfo(this->At("copy.txt"))->is_read_only);
  EXPECT_TRUE(
      this->P().CopyFileA(this->At("source.txt"), this->At("copy.txt"), true).IsAlreadyExists());
  EXPECT_EQ(this->Read(this->At("copy.txt")), "read-only source");
  // A re-install replaces a read-only file of the last one, for any user.
  ASSERT_TRUE(this->P().CopyFileA(this->At("ro.txt"), this->At("copy2.txt")).ok());
  ASSERT_TRUE(this->P().CopyFileA(this->At("source.txt"), this->At("copy2.txt")).ok());
  EXPECT_EQ(this->Read(this->At("copy2.txt")), "new content");
  ASSERT_TRUE(this->P().SetFileAttributesArchive(this->At("copy.txt")).ok());
  EXPECT_FALSE(this->P().GetFileInfo(this->At("copy.txt"))->is_read_only);
  ASSERT_TRUE(this->P().CopyFileA(this->At("source.txt"), this->At("copy.txt")).ok());
  EXPECT_EQ(this->Read(this->At("copy.txt")), "new content");
  EXPECT_TRUE(this->P().SetFileAttributesArchive(this->At("nothing.txt")).IsNotFound());
}

TYPED_TEST(PlatformContract, DirectoriesTellAnExistingOneApartAndTheHelperTakesItAsDone) {
  EXPECT_TRUE(this->P().CreateDirectoryA(this->At("Games")).ok());
  EXPECT_TRUE(this->P().CreateDirectoryA(this->At("GAMES")).IsAlreadyExists());
  EXPECT_TRUE(this->P().CreateDirectoryA(this->At("No\\Parent")).IsNotFound());
  EXPECT_TRUE(this->P().CreateDirectoryA(this->env_.MissingRoot() + "x").IsNotFound());
  EXPECT_TRUE(this->P().CreateDirectoryA(this->At("a*b")).IsRefused());
  EXPECT_TRUE(CreateDirectoryPath(this->P(), this->At("games\\Foo\\Bar")).ok());
  EXPECT_TRUE(CreateDirectoryPath(this->P(), this->At("Games\\Foo\\Bar\\")).ok());
  auto info = this->P().GetFileInfo(this->At("Games\\foo\\bar"));
  ASSERT_TRUE(info.ok());
  EXPECT_TRUE(info->is_directory);
}

TYPED_TEST(PlatformContract, FilesAreDeletedButDirectoriesAreNot) {
  this->Write(this->At("intro.ogg"), "o");
  ASSERT_TRUE(this->P().CreateDirectoryA(this->At("x")).ok());
  EXPECT_TRUE(this->P().DeleteFileA(this->At("INTRO.OGG")).ok());
  EXPECT_TRUE(this->P().GetFileInfo(this->At("intro.ogg")).status().IsNotFound());
  EXPECT_TRUE(this->P().DeleteFileA(this->At("intro.ogg")).IsNotFound());
  EXPECT_TRUE(this->P().DeleteFileA(this->At("x")).IsRefused());
}

TYPED_TEST(PlatformContract, SearchesListWhatIsThereDotsFirstThenByName) {
  ASSERT_TRUE(CreateDirectoryPath(this->P(), this->At("G\\Sub")).ok());
  this->Write(this->At("G\\readme.txt"), "r");
  this->Write(this->At("G\\Setup.EXE"), "s");
  this->Write(this->At("G\\alpha.txt"), "a");
  auto all = this->P().FindFiles(this->At("g\\*.*"));
  ASSERT_TRUE(all.ok()) << all.status().ToString();
  std::vector<std::string> names;
  for (const FindData& f : *all) names.push_back(f.name + (f.is_directory ? "/" : ""));
  EXPECT_EQ(names, (std::vector<std::string>{"./", "../", "alpha.txt", "readme.txt", "Setup.EXE",
                                             "Sub/"}));
  auto exe = this->P().FindFiles(this->At("G\\*.exe"));
  ASSERT_TRUE(exe.ok());
  ASSERT_EQ(exe->size(), 1u);
  EXPECT_EQ((*exe)[0].name, "Setup.EXE");
  auto one = this->P().FindFiles(this->At("g\\SUB"));
  ASSERT_TRUE(one.ok());
  ASSERT_EQ(one->size(), 1u);
  EXPECT_EQ((*one)[0].name, "Sub");
  EXPECT_TRUE((*one)[0].is_directory);
  auto two = this->P().FindFiles(this->At("G\\*"), 3);
  ASSERT_TRUE(two.ok());
  EXPECT_EQ(two->size(), 3u);
  EXPECT_TRUE(this->P().FindFiles(this->At("G\\*.none")).status().IsNotFound());
  EXPECT_TRUE(this->P().FindFiles(this->At("missing\\*")).status().IsNotFound());
}

TYPED_TEST(PlatformContract, TheCurrentDirectoryResolvesRelativeNames) {
  ASSERT_TRUE(this->P().CreateDirectoryA(this->At("Data")).ok());
  this->Write(this->At("Data\\a.txt"), "relative");
  ASSERT_TRUE(this->P().SetCurrentDirectoryA(this->At("data")).ok());
  EXPECT_EQ(this->P().CharLowerA(this->P().GetCurrentDirectoryA()),
            this->P().CharLowerA(this->At("Data")));
  EXPECT_EQ(this->Read("A.TXT"), "relative");
  auto info = this->P().GetFileInfo("a.txt");
  ASSERT_TRUE(info.ok());
  EXPECT_EQ(info->size, 8u);
  EXPECT_FALSE(info->is_directory);
  EXPECT_TRUE(this->P().SetCurrentDirectoryA(this->At("missing")).IsNotFound());
  EXPECT_TRUE(this->P().SetCurrentDirectoryA(this->At("Data\\a.txt")).IsNotFound());
  EXPECT_TRUE(this->P().OpenFile(this->At("missing\\x.bin"), "wb").status().IsNotFound());
  auto host = this->P().HostPath("a.txt");
  ASSERT_TRUE(host.ok());
  EXPECT_NE(host->find("a.txt"), std::string::npos);
}

TYPED_TEST(PlatformContract, DrivesHaveTheirTypesAndAMissingOneFailsQuietly) {
  EXPECT_EQ(this->P().GetDriveTypeA("c:\\"), DriveType::kFixed);
  EXPECT_EQ(this->P().GetDriveTypeA(this->env_.CdRoot()), DriveType::kCdRom)
      << "the CD drive " << this->env_.CdRoot();
  EXPECT_EQ(this->P().GetDriveTypeA(this->env_.MissingRoot()), DriveType::kNoRootDir);
  EXPECT_TRUE(this->P().GetVolumeInformationA(this->env_.MissingRoot()).status().IsNotFound());
  EXPECT_TRUE(this->P().GetVolumeInformationA("c:\\").ok());
  auto space = this->P().GetDiskFreeSpaceA("c:\\");
  ASSERT_TRUE(space.ok()) << space.status().ToString();
  EXPECT_GT(space->FreeBytes(), 0u);
  EXPECT_LE(space->FreeBytes(), space->TotalBytes());
  EXPECT_FALSE(this->P().GetDiskFreeSpaceA(this->env_.MissingRoot()).ok());
}

TYPED_TEST(PlatformContract, LocaleAndEnvironmentAnswerAsWindowsDoes) {
  const std::string id = this->P().GetSystemLanguageId();
  ASSERT_EQ(id.size(), 4u);
  EXPECT_EQ(id.find_first_not_of("0123456789ABCDEF"), std::string::npos) << id;
  EXPECT_EQ(this->P().LanguageCodePage("0415"), 1250);
  EXPECT_EQ(this->P().LanguageCodePage("0409"), 1252);
  EXPECT_EQ(this->P().LanguageCodePage("0419"), 1251);
  EXPECT_EQ(this->P().LanguageCodePage("415"), 0);
  EXPECT_EQ(this->P().LanguageCodePage("zz15"), 0);
  EXPECT_EQ(this->P().CharLowerA("SETUP.EXE"), "setup.exe");

  EXPECT_EQ(this->P().FindInvalidByte("plain", 1252), std::string::npos);
  EXPECT_EQ(this->P().FindInvalidByte("za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87", 1250),
            std::string::npos);  // UTF-8 is taken as UTF-8
  EXPECT_EQ(this->P().FindInvalidByte("ab\x81", 1252), 2u);
  EXPECT_EQ(this->P().FindInvalidByte("\xB3\xF3\x98", 1251), 2u);
  EXPECT_EQ(this->P().FindInvalidByte("\xB3\xEA", 1250), std::string::npos);
  EXPECT_EQ(this->P().FindInvalidByte("ok\x82", 932), 2u);  // a lead byte without its trail

  const std::string windir = this->P().GetEnvironmentVariableA("WINDIR");
  ASSERT_GE(windir.size(), 3u);
  EXPECT_EQ(windir[1], ':');
  auto info = this->P().GetFileInfo(windir);
  ASSERT_TRUE(info.ok()) << windir;
  EXPECT_TRUE(info->is_directory);
  EXPECT_EQ(this->P().GetEnvironmentVariableA("CDSETUP_NEVER_SET_VARIABLE"), "");
}

TYPED_TEST(PlatformContract, ProgramsAreWaitedForAndAMissingOneIsAFailure) {
  auto [program, args] = this->env_.ProgramExitingWith3();
  auto ran = this->P().StartProcess(program, args, Wait::kYes);
  ASSERT_TRUE(ran.ok()) << ran.status().ToString();
  EXPECT_EQ(*ran, 3);
  EXPECT_FALSE(this->P().StartProcess(this->At("missing.exe"), {}, Wait::kYes).ok());
  EXPECT_FALSE(this->P().StartProcess(this->At("missing.exe"), {}, Wait::kNo).ok());
}

TYPED_TEST(PlatformContract, LinksReadBackWithTheirFieldsAndReplaceAnOldOne) {
  ASSERT_TRUE(CreateDirectoryPath(this->P(), this->At("Game\\Bin")).ok());
  this->Write(this->At("Game\\Bin\\game.exe"), "MZ");
  ASSERT_TRUE(this->P().CreateDirectoryA(this->At("Menu")).ok());
  const std::string link = this->At("Menu\\Game.lnk");
  ShellLinkSpec spec{this->At("Game\\Bin\\game.exe"), this->At("Game"), "", "-window"};
  ASSERT_TRUE(this->P().WriteShellLink(link, spec).ok());
  auto read = this->env_.ReadLink(link);
  ASSERT_TRUE(read.ok()) << read.status().ToString();
  EXPECT_EQ(this->P().CharLowerA(read->target), this->P().CharLowerA(spec.target));
  EXPECT_EQ(this->P().CharLowerA(read->working_directory),
            this->P().CharLowerA(spec.working_directory));
  EXPECT_EQ(read->arguments, "-window");
  EXPECT_EQ(read->description, "");

  spec.working_directory = this->At("Game\\Bin");
  spec.arguments = "";
  ASSERT_TRUE(this->P().WriteShellLink(link, spec).ok());
  read = this->env_.ReadLink(link);
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(this->P().CharLowerA(read->working_directory),
            this->P().CharLowerA(spec.working_directory));
  EXPECT_EQ(read->arguments, "");

  EXPECT_TRUE(this->P().WriteShellLink(this->At("NoMenu\\Game.lnk"), spec).IsNotFound());
  EXPECT_TRUE(this->P().WriteShellLink(this->At("Menu"), spec).IsRefused());
}

// Texts of another code page than the system's become names only where they
// can be spelt; a path's text-named parts are written as the texts read and
// are found again by the same path. Cyrillic is in neither code page the
// suite runs under (1250, 1252).
TYPED_TEST(PlatformContract, TextsBecomeNamesOnlyWhereTheSystemSpellsThem) {
  Platform& p = this->P();
  p.UseTextCodePage(1251);
  EXPECT_EQ(p.TextCodePage(), 1251);
  EXPECT_EQ(p.TextToName("Gry\\Demo").value_or("<refused>"), "Gry\\Demo");
  const std::string beetle = "\xC6\xF3\xEA";  // Жук in code page 1251
  const base::Result<std::string> refused = p.TextToName("Gry\\" + beetle);
  ASSERT_TRUE(refused.status().IsRefused()) << refused.status().ToString();
  EXPECT_NE(refused.status().message().find("holds the letter \"\xC6\""), std::string::npos)
      << refused.status().message();

  const std::string folder = TextNamedPath(this->At(""), beetle);
  ASSERT_TRUE(CreateDirectoryPath(p, folder + "\\" + beetle).ok());
  this->Write(folder + "\\" + beetle + ".txt", "zhuk");
  EXPECT_EQ(this->Read(folder + "\\" + beetle + ".txt"), "zhuk");
  const base::Result<FileInfo> info = p.GetFileInfo(folder);
  EXPECT_TRUE(info.ok() && info->is_directory) << info.status().ToString();
  // Listed by the system's names, which cannot spell it: not offered.
  auto listed = p.FindFiles(this->At("*"));
  ASSERT_TRUE(listed.ok());
  for (const FindData& f : *listed) EXPECT_EQ(f.name.find('?'), std::string::npos) << f.name;
  EXPECT_TRUE(p.DeleteFileA(folder + "\\" + beetle + ".txt").ok());
  EXPECT_TRUE(this->Read(folder + "\\" + beetle + ".txt").starts_with("<"));
}

}  // namespace
}  // namespace cdsetup::platform
