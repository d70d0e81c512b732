// The check on media with one file spoilt or missing each: the licence, the
// background picture, the programs of the closing steps.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "bmpkit/bmp_writer.h"
#include "check/check_fixture.h"

namespace cdsetup::check {
namespace {

using MediumFiles = CheckFixture;

TEST_F(MediumFiles, ALicenceThatIsMissingOrNotTextOfItsCodePage) {
  std::filesystem::remove(medium("licence.txt"));
  EXPECT_EQ(Problems(), std::vector<std::string>{At("IDS_LICENCE_FILE_NAME=licence.txt") +
                                                 ": [English] IDS_LICENCE_FILE_NAME=licence.txt: "
                                                 "no such file on the medium: the licence box "
                                                 "would be empty"});
  testing::WriteFile(medium("licence.txt"), std::string("LICENCE\r\nbad \x81 byte\r\n\0tail", 26));
  EXPECT_EQ(Problems(),
            (std::vector<std::string>{
                At("IDS_LICENCE_FILE_NAME=licence.txt") +
                    ": [English] IDS_LICENCE_FILE_NAME=licence.txt: a zero byte at byte 21 ends "
                    "the text shown there",
                At("IDS_LICENCE_FILE_NAME=licence.txt") +
                    ": [English] IDS_LICENCE_FILE_NAME=licence.txt: byte 0x81 on its line 2 is "
                    "no character of code page 1252"}));
  testing::MakeDirs(medium("licence.txt.d"));
  EditScript("IDS_LICENCE_FILE_NAME=licence.txt", "IDS_LICENCE_FILE_NAME=licence.txt.d");
  EXPECT_EQ(Problems(), std::vector<std::string>{At("IDS_LICENCE_FILE_NAME=licence.txt.d") +
                                                 ": [English] IDS_LICENCE_FILE_NAME=licence.txt.d: "
                                                 "a folder, not a file: the licence box would be "
                                                 "empty"});
}

TEST_F(MediumFiles, ABackgroundThatIsMissingNoPictureOrOfAnotherSize) {
  EditScript("Bitmap=tlo.bmp", "Bitmap=TLO.BMP");  // found without regard to case
  EditScript("Bitmap=tlo.bmp", "Bitmap=obraz.bmp");
  const std::string english = At("Bitmap=obraz.bmp") + ": [English] Bitmap=obraz.bmp";
  const std::string polish_upper = At("Bitmap=TLO.BMP") + ": [Polski] Bitmap=TLO.BMP";
  const std::string none = ": the main dialog would show no picture";
  EXPECT_EQ(Problems(), std::vector<std::string>{english + ": no such file on the medium" + none});

  bmpkit::BmpFile small;
  small.width = 100;
  small.height = 50;
  small.pixels = std::string(300 * 50, '\x40');
  testing::WriteFile(medium("obraz.bmp"), bmpkit::WriteBmp(small));
  EXPECT_EQ(Problems(), std::vector<std::string>{english + ": 100 x 50 pixels: it is shown 350 x "
                                                           "250, stretched"});

  testing::WriteFile(medium("tlo.bmp"), "BM but nothing a decoder reads");
  const std::vector<std::string> problems = Problems();
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[0].rfind(polish_upper + ": not a picture the decoder reads (", 0), 0u)
      << problems[0];
  EXPECT_EQ(problems[0].substr(problems[0].size() - none.size() - 1), ")" + none);
}

TEST_F(MediumFiles, ABackgroundWhoseCopyWouldLeaveTheTarget) {
  EditScript("Bitmap=tlo.bmp", "Bitmap=..\\tlo.bmp");
  EXPECT_EQ(Problems(), std::vector<std::string>{At("Bitmap=..") +
                                                 ": [Polski] Bitmap=..\\tlo.bmp: its copy would "
                                                 "not land inside the target: list entry "
                                                 "..\\tlo.bmp: unsafe entry name .."});
}

TEST_F(MediumFiles, ListedFilesThatAreNoFilesOrLeaveTheMediumStopTheCopy) {
  std::filesystem::remove(medium("demo.exe"));
  ASSERT_EQ(::mkfifo(medium("demo.exe").c_str(), 0600), 0);
  testing::WriteFile(c_drive("host.txt"), "the host's own");
  std::filesystem::remove(medium("odinstaluj.exe"));
  ASSERT_EQ(::symlink(c_drive("host.txt").c_str(), medium("odinstaluj.exe").c_str()), 0);
  int pipes = 0, links = 0;
  for (const std::string& problem : Problems()) {
    const bool stops = problem.find("the copy would stop there") != std::string::npos;
    pipes += stops && problem.find("=demo.exe: ") != std::string::npos &&
             problem.find("not a regular file") != std::string::npos;
    links += stops && problem.find("=odinstaluj.exe: a link out of the CD") != std::string::npos;
  }
  EXPECT_EQ(pipes, 3);  // each install type lists it
  EXPECT_EQ(links, 3);
}

TEST_F(MediumFiles, ProgramsMissingFromTheCd) {
  std::filesystem::remove(medium("DirectX/dxsetup.exe"));
  std::filesystem::remove(medium("Kestrune.exe"));
  const std::string dx =
      ": IDS_DXINSTALL_PATH=X:\\DirectX\\dxsetup.exe: no such program on the "
      "CD (d:\\DirectX\\dxsetup.exe): Yes would start nothing";
  EXPECT_EQ(Problems(),
            (std::vector<std::string>{
                "install.ini: Kestrune.exe is not beside the installer: the shared uninstaller "
                "would not be placed",
                At("IDS_DXINSTALL_PATH") + ": [Polski]" + dx.substr(1),
                At("IDS_DXINSTALL_PATH=X:\\DirectX\\dxsetup.exe\r\nIDS_COMPANY_NAME=Torvanel\r\n"
                   "IDS_PROGRAM_NAME=Demo of") +
                    ": [English]" + dx.substr(1)}));
}

}  // namespace
}  // namespace cdsetup::check
