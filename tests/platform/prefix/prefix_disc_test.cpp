// The prefix platform over a CD image against the same medium as a folder:
// every read of the CD drive answers alike, every write is refused alike,
// and the image's programs run from a copy of their folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <set>

#include "cd_image/cd_image.h"
#include "platform/prefix/drive_info.h"
#include "platform/prefix/prefix_platform.h"
#include "support/recording_runner.h"
#include "support/scoped_temp_dir.h"

namespace cdsetup::platform {
namespace {

using testing::ReadFile;
using testing::WriteFile;

// Records, with each start, the files beside the program at that moment.
class FolderRecordingRunner : public testing::RecordingRunner {
 public:
  base::Result<int> Run(const std::vector<std::string>& argv,
                        const std::vector<std::pair<std::string, std::string>>& env, Wait wait,
                        Output output) override {
    std::set<std::string> files;
    const auto folder = std::filesystem::path(argv[argv[0] == "wine" ? 1 : 0]).parent_path();
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder)) {
      files.insert(std::filesystem::relative(e.path(), folder).string());
    }
    beside.push_back(files);
    return testing::RecordingRunner::Run(argv, env, wait, output);
  }
  std::vector<std::set<std::string>> beside;
};

class PrefixDiscTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(temp_ / "medium/install.ini", "[Setup]\r\nName=Demo \xAF\xF3\xB3w\r\n");
    WriteFile(temp_ / "medium/Dane/Poziom1.dat", std::string(70000, 'p'));
    WriteFile(temp_ / "medium/Dane/\xC5\xBC\xC3\xB3\xC5\x82w.txt", "zolw");  // żółw.txt
    WriteFile(temp_ / "medium/DirectX/dxsetup.exe", "MZ fake program");
    WriteFile(temp_ / "medium/DirectX/cab/dx.cab", "cab");
    ASSERT_TRUE(cdimage::MakeIsoImage(temp_ / "medium", temp_ / "cd.iso", "DEMO_CD").ok());
    folder_ = Open("folder", temp_ / "medium");
    image_ = Open("image", temp_ / "cd.iso");
    ASSERT_TRUE(folder_ && image_);
  }
  std::unique_ptr<PrefixPlatform> Open(const std::string& name, const std::string& medium) {
    PrefixOptions o;
    o.prefix_dir = temp_ / name;
    o.medium_dir = medium;
    o.program_name = "cdsetup";
    o.user = "tester";
    o.code_page = 1250;
    o.runner = runner_;
    auto p = PrefixPlatform::Open(o);
    EXPECT_TRUE(p.ok()) << p.status().ToString();
    return p.ok() ? std::move(p).value() : nullptr;
  }

  testing::ScopedTempDir temp_;
  std::shared_ptr<FolderRecordingRunner> runner_ = std::make_shared<FolderRecordingRunner>();
  std::unique_ptr<PrefixPlatform> folder_, image_;
};

std::string Describe(const base::Status& s) {
  return s.ok() ? "ok" : "failed";
}

TEST_F(PrefixDiscTest, TheImageAnswersEveryReadAsItsFolderDoesAndRefusesEveryWrite) {
  using Op = std::function<std::string(PrefixPlatform&)>;
  const std::pair<const char*, Op> ops[] = {
      {"profile",
       [](PrefixPlatform& p) {
         char buf[64];
         const std::size_t n =
             p.GetPrivateProfileStringA("setup", "NAME", "-", buf, "D:\\INSTALL.INI");
         return std::string(buf, n);
       }},
      {"list the root",
       [](PrefixPlatform& p) {
         auto found = p.FindFiles("D:\\*.*");
         std::string names;
         if (!found.ok()) return found.status().ToString();
         for (const FindData& f : *found) names += f.name + (f.is_directory ? "/ " : " ");
         return names;
       }},
      {"list by pattern, any case",
       [](PrefixPlatform& p) {
         auto found = p.FindFiles("d:\\DANE\\*.DAT");
         return found.ok() ? (*found)[0].name : found.status().ToString();
       }},
      {"nothing matches",
       [](PrefixPlatform& p) { return Describe(p.FindFiles("D:\\Dane\\*.exe").status()); }},
      {"file info",
       [](PrefixPlatform& p) {
         auto info = p.GetFileInfo("D:\\dane\\poziom1.dat");
         return info.ok() ? std::to_string(info->size) + (info->is_directory ? " dir" : " file")
                          : info.status().ToString();
       }},
      {"folder info",
       [](PrefixPlatform& p) { return std::to_string(p.GetFileInfo("D:\\Dane")->is_directory); }},
      {"missing",
       [](PrefixPlatform& p) { return Describe(p.GetFileInfo("D:\\Dane\\brak.dat").status()); }},
      {"read a Polish name",
       [](PrefixPlatform& p) {
         auto f = p.OpenFile("D:\\Dane\\\xBF\xF3\xB3w.txt", "rb");
         if (!f.ok()) return f.status().ToString();
         char buf[16];
         return std::string(buf, std::fread(buf, 1, sizeof buf, f->get()));
       }},
      {"relative after changing folder",
       [](PrefixPlatform& p) {
         if (!p.SetCurrentDirectoryA("D:\\DANE").ok()) return std::string("no cd");
         auto info = p.GetFileInfo("Poziom1.DAT");
         (void)p.SetCurrentDirectoryA("D:\\");
         return info.ok() ? std::to_string(info->size) : info.status().ToString();
       }},
      {"copy to C:",
       [](PrefixPlatform& p) {
         base::Status s = p.CopyFileA("D:\\Dane\\Poziom1.dat", "C:\\poziom1.dat");
         auto host = p.HostPath("C:\\poziom1.dat");
         return Describe(s) + " " + std::to_string(ReadFile(*host).size());
       }},
      {"copy a folder",
       [](PrefixPlatform& p) { return Describe(p.CopyFileA("D:\\Dane", "C:\\dane")); }},
      {"drive type",
       [](PrefixPlatform& p) { return std::to_string(static_cast<int>(p.GetDriveTypeA("D:\\"))); }},
      {"write a file",
       [](PrefixPlatform& p) { return Describe(p.OpenFile("D:\\new.txt", "wb").status()); }},
      {"make a folder", [](PrefixPlatform& p) { return Describe(p.CreateDirectoryA("D:\\Nowy")); }},
      {"make an existing folder",
       [](PrefixPlatform& p) { return Describe(p.CreateDirectoryA("D:\\Dane")); }},
      {"copy onto the CD",
       [](PrefixPlatform& p) {
         (void)p.CopyFileA("D:\\Dane\\Poziom1.dat", "C:\\x.dat");
         return Describe(p.CopyFileA("C:\\x.dat", "D:\\x.dat"));
       }},
      {"write a profile",
       [](PrefixPlatform& p) {
         return Describe(p.WritePrivateProfileStringA("Setup", "Name", "x", "D:\\install.ini"));
       }},
      {"delete", [](PrefixPlatform& p) { return Describe(p.DeleteFileA("D:\\install.ini")); }},
  };
  for (const auto& [what, op] : ops) {
    EXPECT_EQ(op(*image_), op(*folder_)) << what;
  }
  EXPECT_EQ(image_->GetVolumeInformationA("D:\\")->name, "DEMO_CD");
  auto space = image_->GetDiskFreeSpaceA("D:\\");
  ASSERT_TRUE(space.ok());
  EXPECT_EQ(space->free_clusters, 0u);
  EXPECT_EQ(ReadFile(temp_ / "image/drive_c/poziom1.dat"), std::string(70000, 'p'));
}

TEST_F(PrefixDiscTest, AProgramOfTheImageRunsFromACopyOfItsFolderRemovedAfterIt) {
  runner_->programs.insert("wine");
  auto ran = image_->StartProcess("D:\\DirectX\\DXSETUP.EXE", {"/silent"}, Wait::kYes);
  ASSERT_TRUE(ran.ok()) << ran.status().ToString();
  ASSERT_EQ(runner_->starts.size(), 1u);
  const std::vector<std::string>& argv = runner_->starts[0].argv;
  ASSERT_EQ(argv.size(), 3u);
  EXPECT_EQ(argv[0], "wine");
  EXPECT_EQ(argv[2], "/silent");
  EXPECT_EQ(runner_->beside[0], (std::set<std::string>{"dxsetup.exe", "cab", "cab/dx.cab"}));
  EXPECT_FALSE(std::filesystem::exists(argv[1]));  // the copy went with the run
  EXPECT_FALSE(image_->StartProcess("D:\\DirectX\\brak.exe", {}, Wait::kYes).ok());
}

TEST_F(PrefixDiscTest, TheKeptCdDriveIsAFolderOrMountedDiscOnly) {
  auto kept = folder_->KeepMediumAsCdDrive();
  ASSERT_TRUE(kept.ok()) << kept.status().ToString();
  EXPECT_EQ(std::filesystem::canonical(temp_ / "folder/dosdevices/d:"),
            std::filesystem::canonical(temp_ / "medium"));
  // Opened again, the prefix shows the medium under the same letter, as Wine
  // will: a CD-ROM drive by its type in the registry.
  folder_ = Open("folder", temp_ / "medium");
  EXPECT_TRUE(folder_->KeepMediumAsCdDrive().ok());  // there already
  EXPECT_EQ(folder_->GetDriveTypeA("D:\\"), DriveType::kCdRom);
  auto key = folder_->RegOpenKeyA(RegRoot::kLocalMachine, "Software\\Wine\\Drives");
  ASSERT_TRUE(key.ok());
  EXPECT_EQ(*folder_->RegQueryValueA(*key, "d:"), "cdrom");
  EXPECT_EQ(image_->KeepMediumAsCdDrive().status().kind(), base::Status::Kind::kUnsupported);

  // Only CD and DVD file systems are searched for a medium.
  EXPECT_EQ(CdRootsInMountTable("22 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                                "40 22 11:0 / /media/gracz/DEMO\\040CD ro - iso9660 /dev/sr0 ro\n"
                                "41 22 11:1 / /media/dvd ro - udf /dev/sr1 ro\n"
                                "42 22 0:5 / /tmp rw - tmpfs tmpfs rw\n"),
            (std::vector<std::string>{"/media/gracz/DEMO CD", "/media/dvd"}));
}

}  // namespace
}  // namespace cdsetup::platform
