// Shell link files: written and read back field by field, the header checked
// byte by byte, damaged files refused, and links saved on a real prefix.
#include "platform/prefix/shell_link.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "base/byte_order.h"
#include "support/prefix_fixture.h"
#include "support/windows_program.h"
#include "support/wine_session.h"

namespace cdsetup::platform {

using base::Put16;
using base::Put32;

namespace {

using testing::Exists;
using testing::MakeDirs;
using testing::ReadFile;
using testing::WriteFile;

std::uint32_t U32At(const std::string& b, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at]) |
                                    (static_cast<unsigned char>(b[at + 1]) << 8) |
                                    (static_cast<unsigned char>(b[at + 2]) << 16) |
                                    (static_cast<unsigned char>(b[at + 3]) << 24));
}

ShellLink GameLink() {
  ShellLink link;
  link.target = "C:\\Gry\\Gra\\gra.exe";
  link.working_directory = "C:\\Gry\\Gra\\";
  link.arguments = "-window \"a b\"";
  link.file_attributes = 0x20;
  link.file_size = 123456;
  link.write_time = 0x01D9000012345678ull;
  return link;
}

// A link as other programs write them: the target in a LinkInfo, in ANSI
// only, and the working directory in ANSI string data.
std::string LinkInfoLink(const std::string& ansi_target, const std::string& ansi_work) {
  std::string b;
  Put32(b, 0x4C);
  b += std::string("\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46", 16);
  Put32(b, kLinkHasLinkInfo | kLinkHasWorkingDir);
  b.append(0x4C - b.size(), '\0');
  const std::uint32_t volume = 0x1C, path = volume + 0x11;
  const std::uint32_t suffix = path + static_cast<std::uint32_t>(ansi_target.size()) + 1;
  Put32(b, suffix + 1);  // size
  Put32(b, 0x1C);        // header without the Unicode offsets
  Put32(b, 1);           // volume and local path
  Put32(b, volume);
  Put32(b, path);
  Put32(b, 0);
  Put32(b, suffix);
  Put32(b, 0x11);
  Put32(b, 5);  // a CD-ROM
  Put32(b, 0);
  Put32(b, 0x10);
  b += '\0';
  b += ansi_target + '\0' + '\0';
  Put16(b, static_cast<std::uint32_t>(ansi_work.size()));
  b += ansi_work;
  Put32(b, 0);
  return b;
}

TEST(ShellLink, WrittenAndReadBackFieldByField) {
  CodePage cp(1252);  // a code page without most Polish letters: they go as UTF-16
  for (const char* description : {"",
                                  "Gra \xC5\x82\xC3\xB3"
                                  "d\xC5\xBA"}) {
    SCOPED_TRACE(description);
    ShellLink link = GameLink();
    link.description = description;
    link.target =
        "C:\\Gry\\\xC5\x81\xC3\xB3"
        "d\xC5\xBA\\gra.exe";  // Łódź
    auto bytes = EncodeShellLink(link, cp);
    ASSERT_TRUE(bytes.ok()) << bytes.status().ToString();
    auto back = DecodeShellLink(*bytes, cp);
    ASSERT_TRUE(back.ok()) << back.status().ToString();
    EXPECT_EQ(back->target, link.target);
    EXPECT_EQ(back->working_directory, link.working_directory);
    EXPECT_EQ(back->arguments, link.arguments);
    EXPECT_EQ(back->description, link.description);
    EXPECT_EQ(back->relative_path, "");
    EXPECT_EQ(back->icon_location, "");
    EXPECT_EQ(back->file_attributes, 0x20u);
    EXPECT_EQ(back->file_size, 123456u);
    EXPECT_EQ(back->write_time, link.write_time);
    EXPECT_EQ(back->show_command, 1u);
    std::uint32_t flags = kLinkHasTargetIdList | kLinkHasWorkingDir | kLinkHasArguments |
                          kLinkIsUnicode | (*description ? std::uint32_t{kLinkHasName} : 0u);
    EXPECT_EQ(back->link_flags, flags);
  }
  // A folder as the target, and a drive root.
  for (const char* target : {"D:\\Dane\\Poziomy", "E:\\"}) {
    ShellLink link;
    link.target = target;
    link.file_attributes = 0x10;
    auto back = DecodeShellLink(*EncodeShellLink(link, cp), cp);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back->target, target);
  }
}

// The item id list item by item, as Wine checks it: My Computer, the drive,
// then each folder and the file, with the name in the code page ("_" for a
// letter it lacks) and in UTF-16 in the block that ends the item. No
// LinkInfo: Wine would take its ANSI path first.
TEST(ShellLink, HeaderAndItemIdListBytes) {
  CodePage cp(1252);
  ShellLink link = GameLink();
  link.arguments.clear();
  link.target =
      "c:\\Gry\\\xC5\x81\xC3\xB3"
      "d\xC5\xBA\\gra.exe";  // Łódź
  auto bytes = EncodeShellLink(link, cp);
  ASSERT_TRUE(bytes.ok());
  const std::string& b = *bytes;
  ASSERT_GT(b.size(), 0x4Cu + 0x30u);
  EXPECT_EQ(U32At(b, 0), 0x4Cu);
  EXPECT_EQ(b.substr(4, 16),
            std::string("\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46", 16));
  EXPECT_EQ(U32At(b, 0x14), 0x91u);  // item id list, working directory, Unicode strings
  EXPECT_EQ(U32At(b, 0x18), 0x20u);
  EXPECT_EQ(U32At(b, 0x34), 123456u);
  EXPECT_EQ(U32At(b, 0x3C), 1u);  // SW_SHOWNORMAL
  EXPECT_EQ(b.substr(0x40, 12), std::string(12, '\0'));

  const std::size_t list = 0x4C;
  const std::size_t list_size = U32At(b, list) & 0xFFFF;
  std::size_t at = list + 2;
  auto item_size = [&](std::size_t pos) { return U32At(b, pos) & 0xFFFF; };
  ASSERT_EQ(item_size(at), 0x14u);
  EXPECT_EQ(b.substr(at + 2, 18), std::string("\x1F\x50\xE0\x4F\xD0\x20\xEA\x3A\x69\x10\xA2\xD8"
                                              "\x08\x00\x2B\x30\x30\x9D",
                                              18));
  at += 0x14;
  ASSERT_EQ(item_size(at), 0x19u);
  EXPECT_EQ(b.substr(at + 2, 4),
            "\x2F"
            "C:\\");  // the letter in upper case
  at += 0x19;
  struct Expected {
    char type;
    std::string ansi;
    std::u16string name;
    std::uint32_t size, attributes;
  } items[] = {{0x31, "Gry", u"Gry", 0, 0x10},
               {0x31,
                "_\xF3"
                "d_",
                u"\u0141\u00F3d\u017A", 0, 0x10},
               {0x32, "gra.exe", u"gra.exe", 123456, 0x20}};
  for (const Expected& e : items) {
    SCOPED_TRACE(e.ansi);
    const std::size_t size = item_size(at);
    ASSERT_LE(at + size, list + 2 + list_size);
    EXPECT_EQ(b[at + 2], e.type);
    EXPECT_EQ(U32At(b, at + 4), e.size);
    EXPECT_EQ(U32At(b, at + 12) & 0xFFFF, e.attributes);
    EXPECT_EQ(b.substr(at + 14, e.ansi.size() + 1), e.ansi + std::string(1, '\0'));
    const std::size_t block = item_size(at + size - 2);
    EXPECT_EQ(block % 2, 0u);
    EXPECT_EQ(block + item_size(at + block), size);  // the block ends the item
    EXPECT_EQ(U32At(b, at + block + 4), 0xBEEF0004u);
    std::u16string name;
    for (std::size_t c = at + block + 0x14; item_size(c) != 0; c += 2) {
      name += static_cast<char16_t>(item_size(c));
    }
    EXPECT_EQ(name, e.name);
    at += size;
  }
  EXPECT_EQ(item_size(at), 0u);
  EXPECT_EQ(at + 2, list + 2 + list_size);
  // Then the working directory as counted UTF-16, and the terminal block.
  const std::size_t strings = at + 2;
  EXPECT_EQ(static_cast<unsigned char>(b[strings]), link.working_directory.size());
  EXPECT_EQ(b[strings + 2], 'C');
  EXPECT_EQ(b[strings + 3], '\0');
  EXPECT_EQ(b.size(), strings + 2 + link.working_directory.size() * 2 + 4);
  EXPECT_EQ(U32At(b, b.size() - 4), 0u);
}

TEST(ShellLink, OtherProgramsLinksAreRead) {
  CodePage cp(1250);
  // A LinkInfo's ANSI path, read in the code page.
  auto info = DecodeShellLink(LinkInfoLink("C:\\Gry\\\xA3\xF3"
                                           "d\x9F\\gra.exe",
                                           "C:\\Gry"),
                              cp);
  ASSERT_TRUE(info.ok()) << info.status().ToString();
  EXPECT_EQ(info->target,
            "C:\\Gry\\\xC5\x81\xC3\xB3"
            "d\xC5\xBA\\gra.exe");
  EXPECT_EQ(info->working_directory, "C:\\Gry");
  EXPECT_EQ(info->drive_type, 5u);
  // An item whose Unicode block does not hold together is read by its ANSI
  // name; a list that does not start at My Computer names no path.
  ShellLink link = GameLink();
  link.target =
      "C:\\Gry\\\xC5\x81\xC3\xB3"
      "d\xC5\xBA\\gra.exe";
  std::string bytes = *EncodeShellLink(link, cp);
  const std::size_t lodz = 0x4C + 2 + 0x14 + 0x19 + (U32At(bytes, 0x4C + 2 + 0x14 + 0x19) & 0xFFFF);
  const std::size_t size = U32At(bytes, lodz) & 0xFFFF;
  std::string broken = bytes;
  broken[lodz + size - 2] ^= 0x02;  // the block's offset, still even
  auto ansi = DecodeShellLink(broken, cp);
  ASSERT_TRUE(ansi.ok());
  EXPECT_EQ(ansi->target,
            "C:\\Gry\\\xC5\x81\xC3\xB3"
            "d\xC5\xBA\\gra.exe");  // 1250 holds them
  std::string foreign = bytes;
  foreign[0x4C + 4] = 0x2E;  // not My Computer's item
  auto none = DecodeShellLink(foreign, cp);
  ASSERT_TRUE(none.ok());
  EXPECT_EQ(none->target, "");
}

TEST(ShellLink, DamagedFilesAreRefused) {
  CodePage cp(1252);
  for (const std::string& bytes :
       {*EncodeShellLink(GameLink(), cp), LinkInfoLink("C:\\Gry\\gra.exe", "C:\\Gry")}) {
    // Cut anywhere before the string data ends: never read past the end.
    for (std::size_t n = 0; n + 4 < bytes.size(); ++n) {
      SCOPED_TRACE(n);
      EXPECT_TRUE(DecodeShellLink(bytes.substr(0, n), cp).status().IsCorrupt());
    }
    struct Damage {
      std::size_t at;
      char byte;
    } damages[] = {{0, 0x4D}, {4, 0x02}, {19, 0x47}, {0x4C + 1, 0x7F}};
    for (const Damage& d : damages) {
      SCOPED_TRACE(d.at);
      std::string bad = bytes;
      bad[d.at] = d.byte;
      EXPECT_TRUE(DecodeShellLink(bad, cp).status().IsCorrupt());
    }
  }
  // A link info whose path runs past its end.
  std::string bad = LinkInfoLink("C:\\Gry\\gra.exe", "C:\\Gry");
  bad[0x4C + 16] = 0x7F;  // local path offset beyond the link info
  EXPECT_TRUE(DecodeShellLink(bad, cp).status().IsCorrupt());

  ShellLink empty;
  EXPECT_TRUE(EncodeShellLink(empty, cp).status().IsRefused());
  for (const char* not_on_a_drive :
       {"\\\\server\\share\\gra.exe", "gra.exe", "C:\\Gry\\\\gra.exe"}) {
    ShellLink link = GameLink();
    link.target = not_on_a_drive;
    EXPECT_TRUE(EncodeShellLink(link, cp).status().IsRefused()) << not_on_a_drive;
  }
  ShellLink long_path = GameLink();
  long_path.target = "C:\\" + std::string(257, 'x');
  EXPECT_TRUE(EncodeShellLink(long_path, cp).status().IsRefused());
  long_path.target.pop_back();
  EXPECT_TRUE(EncodeShellLink(long_path, cp).ok());
}

class PrefixLinks : public testing::PrefixFixture {
 protected:
  // The Start-menu folder of the product, in code page 1250.
  const std::string folder_ =
      "C:\\users\\tester\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\"
      "Torvanel\\Gra";
  std::string host_folder() const {
    return c_drive(
        "users/tester/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/"
        "Torvanel/Gra");
  }
};

TEST_F(PrefixLinks, SavedOverAnExistingLinkAndReadBack) {
  MakeDirs(host_folder());
  WriteFile(c_drive("Gry/\xC5\x81\xC3\xB3"
                    "d\xC5\xBA/gra.exe"),
            std::string(1234, 'M'));
  const std::string link_path = folder_ +
                                "\\Graj w \xA3\xF3"
                                "d\x9F.lnk";  // Łódź in CP1250
  ShellLinkSpec wanted{
      "C:\\Gry\\\xA3\xF3"
      "d\x9F\\gra.exe",
      "C:\\Gry\\\xA3\xF3"
      "d\x9F\\",
      "", ""};
  ASSERT_TRUE(platform_->WriteShellLink(link_path, wanted).ok());
  EXPECT_TRUE(Exists(host_folder() + "/Graj w \xC5\x81\xC3\xB3"
                                     "d\xC5\xBA.lnk"));
  auto back = platform_->ReadShellLink(link_path);
  ASSERT_TRUE(back.ok()) << back.status().ToString();
  EXPECT_EQ(back->target,
            "C:\\Gry\\\xA3\xF3"
            "d\x9F\\gra.exe");
  EXPECT_EQ(back->working_directory,
            "C:\\Gry\\\xA3\xF3"
            "d\x9F");
  EXPECT_EQ(back->description, "");
  EXPECT_EQ(back->arguments, "");
  // What the header records of the existing target.
  auto fields = DecodeShellLink(ReadFile(host_folder() + "/Graj w \xC5\x81\xC3\xB3"
                                                         "d\xC5\xBA.lnk"),
                                CodePage(1250));
  ASSERT_TRUE(fields.ok());
  EXPECT_EQ(fields->file_size, 1234u);
  EXPECT_EQ(fields->file_attributes, 0x20u);
  EXPECT_NE(fields->write_time, 0u);

  // Saved again, over the first: a relative target resolves against the
  // current directory, the medium's root.
  ShellLinkSpec second{"setup.exe", "", "Opis", "/auto"};
  ASSERT_TRUE(platform_->WriteShellLink(link_path, second).ok());
  back = platform_->ReadShellLink(link_path);
  ASSERT_TRUE(back.ok());
  EXPECT_EQ(back->target, "D:\\setup.exe");
  EXPECT_EQ(back->working_directory, "");
  EXPECT_EQ(back->description, "Opis");
  EXPECT_EQ(back->arguments, "/auto");
}

// A link to a program with an icon names the program as its icon, so the
// shell and Wine's menu entry show it; a program without one leaves it out.
TEST_F(PrefixLinks, AProgramsIconIsTheLinksIcon) {
  ASSERT_TRUE(testing::WineInstalled()) << testing::kWineMissing;
  MakeDirs(host_folder());
  WriteFile(c_drive("Gry/Gra/gra.exe"),
            ReadFile("/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/cmd.exe"));
  WriteFile(c_drive("Gry/Gra/bez.exe"), testing::WorkingDirectoryRecorder());
  for (const char* program : {"gra.exe", "bez.exe"}) {
    SCOPED_TRACE(program);
    const std::string target = std::string("C:\\Gry\\Gra\\") + program;
    ASSERT_TRUE(
        platform_->WriteShellLink(folder_ + "\\Graj.lnk", {target, "C:\\Gry\\Gra", "", ""}).ok());
    auto link = DecodeShellLink(ReadFile(host_folder() + "/Graj.lnk"), CodePage(1250));
    ASSERT_TRUE(link.ok());
    const bool icon = std::string(program) == "gra.exe";
    EXPECT_EQ(link->icon_location, icon ? target : "");
    EXPECT_EQ((link->link_flags & kLinkHasIconLocation) != 0, icon);
  }
}

TEST_F(PrefixLinks, FailuresAreResults) {
  ShellLinkSpec wanted{"C:\\Gry\\Gra\\gra.exe", "C:\\Gry\\Gra\\", "", ""};
  EXPECT_TRUE(platform_->WriteShellLink(folder_ + "\\Graj.lnk", wanted).IsNotFound());
  MakeDirs(host_folder() + "/Folder.lnk");
  for (const char* name :
       {"Gr|aj.lnk", "Gra?.lnk", "Gra*.lnk", "Gra\"j\".lnk", "a<b.lnk", "Graj\x01.lnk"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(platform_->WriteShellLink(folder_ + "\\" + name, wanted).IsRefused());
  }
  EXPECT_TRUE(platform_->WriteShellLink(folder_ + "\\Folder.lnk", wanted).IsRefused());
  EXPECT_TRUE(platform_->WriteShellLink("C:\\", wanted).IsRefused());
  EXPECT_TRUE(platform_->WriteShellLink(folder_ + "\\" + std::string(200, 'n') + ".lnk", wanted)
                  .IsRefused());
  ShellLinkSpec no_target{"", "", "", ""};
  EXPECT_FALSE(platform_->WriteShellLink(folder_ + "\\Graj.lnk", no_target).ok());
  // A name that looks like a link but is not one.
  WriteFile(host_folder() + "/Fake.lnk", "not a link at all");
  EXPECT_TRUE(platform_->ReadShellLink(folder_ + "\\fake.LNK").status().IsCorrupt());
  EXPECT_TRUE(platform_->ReadShellLink(folder_ + "\\none.lnk").status().IsNotFound());
}

// What Wine makes of our links: the program it starts, the folder it starts
// it in and the arguments it gives. The target is a batch file that writes
// its own name, its working directory, its full path and its arguments to
// "ran.txt" in that directory; it lies in a subfolder, so that a working
// directory taken from the target's folder would show. Wine reads the
// target's path from the link in its ANSI code page, so the Polish path is
// started under a Polish locale (code page 1250, as the installer wrote it).
TEST_F(PrefixLinks, WineStartsTheTargetInTheWorkingDirectoryWithTheArguments) {
  ASSERT_TRUE(testing::WineInstalled()) << testing::kWineMissing;
  const std::string locale = testing::PolishLocale(temp_ / "locale");
  ASSERT_FALSE(locale.empty()) << testing::kPolishLocaleMissing;
  MakeDirs(host_folder());
  const std::string batch =
      "@echo off\r\necho %~nx0> ran.txt\r\ncd>> ran.txt\r\necho %~f0>> ran.txt\r\n"
      "echo %*>> ran.txt\r\n";
  struct Case {
    const char* folder;       // in code page 1250
    const char* host_folder;  // in UTF-8
    const char* link;         // likewise
    const char* host_link;
  } cases[] = {
      {"C:\\Gry\\Gra", "Gry/Gra", "Graj.lnk", "Graj.lnk"},
      {"C:\\Gry\\\xAF\xF3\xB3w", "Gry/\xC5\xBB\xC3\xB3\xC5\x82w", "Graj w \xAF\xF3\xB3w.lnk",
       "Graj w \xC5\xBB\xC3\xB3\xC5\x82w.lnk"},  // Żółw
  };
  testing::WineSession wine(temp_ / "prefix", locale);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.host_folder);
    WriteFile(c_drive(std::string(c.host_folder) + "/bin/start.bat"), batch);
    ShellLinkSpec link{std::string(c.folder) + "\\bin\\start.bat", c.folder, "",
                       "raz \"dwa trzy\""};
    ASSERT_TRUE(platform_->WriteShellLink(folder_ + "\\" + c.link, link).ok());
    testing::CommandResult started =
        wine.Run("wine start /unix '" + host_folder() + "/" + c.host_link + "'");
    EXPECT_EQ(started.status, 0) << started.out << started.err;
  }
  ASSERT_EQ(wine.Run("wineserver -w").status, 0);  // the programs have ended
  for (const Case& c : cases) {
    SCOPED_TRACE(c.host_folder);
    // cmd writes in the ANSI code page, 1250 here.
    EXPECT_EQ(ReadFile(c_drive(std::string(c.host_folder) + "/ran.txt")),
              std::string("start.bat\r\n") + c.folder + "\r\n" + c.folder +
                  "\\bin\\start.bat\r\nraz \"dwa trzy\"\r\n");
  }
}

}  // namespace
}  // namespace cdsetup::platform
