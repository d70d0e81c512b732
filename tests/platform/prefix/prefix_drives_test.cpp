// Drive types, volume names and free space, from a crafted dosdevices/ folder
// and a fake mount table.
#include <gtest/gtest.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "platform/prefix/drive_info.h"
#include "support/prefix_fixture.h"

namespace cdsetup::platform {
namespace {

using testing::MakeDirs;
using testing::WriteFile;

std::string Real(const std::string& p) {
  char buf[PATH_MAX];
  return ::realpath(p.c_str(), buf) ? std::string(buf) : p;
}

class PrefixDrives : public testing::PrefixFixture {
 protected:
  void SetUp() override {
    testing::PrefixFixture::SetUp();
    platform_.reset();
    for (const char* d : {"floppy", "cd", "net", "ram", "hd", "usb"}) MakeDirs(temp_ / d);
    Link('a', "floppy");
    Link('e', "usb");
    Link('g', "cd");
    Link('n', "net");
    Link('r', "ram");
    Link('h', "hd");
    ASSERT_EQ(::symlink((temp_ / "gone").c_str(), (temp_ / "prefix/dosdevices/x:").c_str()), 0);
    std::string base = Real(temp_.path());
    WriteFile(temp_ / "mountinfo",
              "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
              "30 22 0:5 / " +
                  base + "/cd ro - iso9660 " + base +
                  "/dev/sr0 ro\n"
                  "31 22 0:6 / " +
                  base +
                  "/net rw shared:7 master:2 - nfs4 srv:/x rw\n"
                  "32 22 0:7 / " +
                  base +
                  "/ram rw - tmpfs tmpfs rw\n"
                  "33 22 0:8 / " +
                  base + "/ram/hd\\040x rw - ext4 /dev/sdb rw\n");
    WriteFile(temp_ / "dev/sr0", "");
    MakeDirs(temp_ / "by-label");
    ASSERT_EQ(::symlink((base + "/dev/sr0").c_str(), (temp_ / "by-label/GAME\\x20CD").c_str()), 0);
    OpenWithFakes();
  }

  void Link(char letter, const char* dir) {
    std::string link = temp_ / "prefix/dosdevices/" + std::string(1, letter) + ":";
    ASSERT_EQ(::symlink((temp_ / dir).c_str(), link.c_str()), 0);
  }

  void OpenWithFakes() {
    PrefixOptions o;
    o.prefix_dir = temp_ / "prefix";
    o.medium_dir = medium();
    o.program_name = "cdsetup";
    o.user = "tester";
    o.code_page = 1250;
    o.mountinfo_path = temp_ / "mountinfo";
    o.by_label_dir = temp_ / "by-label";
    auto p = PrefixPlatform::Open(o);
    ASSERT_TRUE(p.ok()) << p.status().ToString();
    platform_ = std::move(p).value();
  }
};

TEST_F(PrefixDrives, TypesFollowLettersMediumAndMountTable) {
  struct Case {
    const char* root;
    DriveType type;
  } cases[] = {
      {"a:\\", DriveType::kRemovable}, {"b:\\", DriveType::kNoRootDir},
      {"c:\\", DriveType::kFixed},     {"D:\\", DriveType::kCdRom},  // the medium
      {"e:\\", DriveType::kFixed},     {"g:\\", DriveType::kCdRom},
      {"n:\\", DriveType::kRemote},    {"r:\\", DriveType::kRamDisk},
      {"h:\\", DriveType::kFixed},     {"x:\\", DriveType::kNoRootDir},  // dead link
      {"q:\\", DriveType::kNoRootDir}, {"", DriveType::kNoRootDir},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.root);
    EXPECT_EQ(platform_->GetDriveTypeA(c.root), c.type);
  }
}

TEST_F(PrefixDrives, VolumeNameFromDiscLabelOrLabelFile) {
  auto cd = platform_->GetVolumeInformationA("G:\\");
  ASSERT_TRUE(cd.ok());
  EXPECT_EQ(cd->name, "GAME CD");
  EXPECT_EQ(cd->file_system_name, "CDFS");
  // "Dysk Ł" in UTF-8 on the host, CP1250 on the Windows side.
  WriteFile(temp_ / "hd/.windows-label", "Dysk \xC5\x81\n");
  auto hd = platform_->GetVolumeInformationA("h:\\");
  ASSERT_TRUE(hd.ok());
  EXPECT_EQ(hd->name, "Dysk \xA3");
  auto none = platform_->GetVolumeInformationA("e:\\");
  ASSERT_TRUE(none.ok());
  EXPECT_EQ(none->name, "");
  EXPECT_TRUE(platform_->GetVolumeInformationA("x:\\").status().IsNotFound());
  EXPECT_TRUE(platform_->GetVolumeInformationA("q:\\").status().IsNotFound());
}

TEST_F(PrefixDrives, FreeSpaceMatchesTheHost) {
  auto space = platform_->GetDiskFreeSpaceA("C:\\");
  ASSERT_TRUE(space.ok());
  struct statvfs st;
  ASSERT_EQ(::statvfs(c_drive().c_str(), &st), 0);
  EXPECT_EQ(space->TotalBytes(), static_cast<std::uint64_t>(st.f_blocks) * st.f_frsize);
  EXPECT_LE(space->FreeBytes(), space->TotalBytes());
  EXPECT_TRUE(platform_->GetDiskFreeSpaceA("x:\\").status().IsNotFound());
}

TEST(DiskSpace, ProductsStayRightAboveFourGibAndTwoTib) {
  DiskSpace five_gib = DiskSpaceFromBlocks(4096, (5ull << 30) / 4096, (8ull << 30) / 4096);
  EXPECT_EQ(five_gib.sectors_per_cluster, 8u);
  EXPECT_EQ(five_gib.bytes_per_sector, 512u);
  EXPECT_EQ(five_gib.FreeBytes(), 5ull << 30);
  DiskSpace three_tib = DiskSpaceFromBlocks(4096, (3ull << 40) / 4096, (16ull << 40) / 4096);
  EXPECT_EQ(three_tib.FreeBytes(), 3ull << 40);
  EXPECT_EQ(three_tib.TotalBytes(), 16ull << 40);
  DiskSpace odd = DiskSpaceFromBlocks(1000, 3, 4);
  EXPECT_EQ(odd.FreeBytes(), 3000u);
}

TEST(MountTable, LongestMountPointWinsAndEscapesAreRead) {
  std::string table =
      "1 0 0:1 / / rw - ext4 /dev/a rw\n"
      "2 1 0:2 / /media rw - tmpfs tmpfs rw\n"
      "3 2 0:3 / /media/My\\040Disc ro - udf /dev/sr0 ro\n"
      "garbage line\n";
  EXPECT_EQ(FindMount(table, "/media/My Disc/x")->fs_type, "udf");
  EXPECT_EQ(FindMount(table, "/media/My")->fs_type, "tmpfs");
  EXPECT_EQ(FindMount(table, "/mediax")->fs_type, "ext4");
  EXPECT_FALSE(FindMount("", "/x").has_value());
}

}  // namespace
}  // namespace cdsetup::platform
