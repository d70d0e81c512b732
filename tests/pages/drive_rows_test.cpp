// Drive rows from the drive queries' answers, and their drawing.
#include "pages/drive_rows.h"

#include <gtest/gtest.h>

#include <map>

#include "pages/drive_combo.h"
#include "resources/resource_ids.h"
#include "support/forwarding_platform.h"
#include "support/page_fixture.h"

namespace cdsetup::pages {
namespace {

using platform::DriveType;

// Answers the drive queries from tables; everything else goes to the prefix.
class FakeDrives : public testing::ForwardingPlatform {
 public:
  using ForwardingPlatform::ForwardingPlatform;
  struct Drive {
    DriveType type;
    std::optional<platform::VolumeInfo> volume;
    std::optional<std::uint64_t> free_bytes;
  };
  std::map<char, Drive> drives;
  std::vector<std::string> queried;

  DriveType GetDriveTypeA(std::string_view root) override {
    auto it = drives.find(root[0]);
    return it == drives.end() ? DriveType::kNoRootDir : it->second.type;
  }
  base::Result<platform::VolumeInfo> GetVolumeInformationA(std::string_view root) override {
    queried.push_back("volume " + std::string(root));
    const Drive& d = drives.at(root[0]);
    if (!d.volume) return base::Status::NotFound("no medium");
    return *d.volume;
  }
  base::Result<platform::DiskSpace> GetDiskFreeSpaceA(std::string_view root) override {
    queried.push_back("space " + std::string(root));
    const Drive& d = drives.at(root[0]);
    if (!d.free_bytes) return base::Status::NotFound("no medium");
    // One-byte clusters keep the arithmetic visible in the test.
    return platform::DiskSpace{1, 1, *d.free_bytes, *d.free_bytes * 2};
  }
};

class DriveRowsTest : public testing::PageFixture {};

TEST_F(DriveRowsTest, OnlyInstallableDrivesAreListedWithTheirTexts) {
  FakeDrives fake(*platform_);
  fake.drives = {
      {'a', {DriveType::kRemovable, platform::VolumeInfo{"FLOPPY", 0, ""}, 1}},
      {'b', {DriveType::kRemovable, std::nullopt, std::nullopt}},
      {'c', {DriveType::kFixed, platform::VolumeInfo{"SYSTEM", 0, ""}, 1500000000}},
      {'d', {DriveType::kCdRom, platform::VolumeInfo{"GAME", 0, ""}, 0}},
      {'e', {DriveType::kRemovable, std::nullopt, std::nullopt}},
      {'f', {DriveType::kRemote, platform::VolumeInfo{"", 0, ""}, 1048576}},
      {'g', {DriveType::kRamDisk, platform::VolumeInfo{"MyDisk", 0x8000, ""}, 4294967297ull}},
      {'h', {DriveType::kUnknown, std::nullopt, std::nullopt}},
      {'i',
       {DriveType::kFixed,
        platform::VolumeInfo{"\xA3\xD3"
                             "D\x8F",
                             0, ""},
        5497558138880ull}},
  };
  std::vector<DriveRow> rows = ListDrives(fake, kShowVolumeName | kShowFreeSpace | kShowIcons);
  std::vector<std::pair<std::string, int>> got;
  for (const DriveRow& r : rows) got.emplace_back(r.text, r.kind);
  EXPECT_EQ(got, (std::vector<std::pair<std::string, int>>{
                     {"c:\\ system (1.4G)", kDriveFixed},
                     {"e:\\", kDriveRemovable},
                     {"f:\\  (1024.0k)", kDriveNetwork},
                     {"g:\\ mydisk (4.0G)", kDriveCompressed},
                     {"i:\\ \xB3\xF3"
                      "d\x9F (5.0T)",
                      kDriveFixed},  // lowered through code page 1250
                 }));
  // Floppy and CD-ROM media are never touched.
  for (const std::string& q : fake.queried) {
    EXPECT_TRUE(q.find("a:") == std::string::npos && q.find("b:") == std::string::npos &&
                q.find("d:") == std::string::npos)
        << q;
  }
  // Without the volume option no volume is asked, and nothing is compressed.
  fake.queried.clear();
  rows = ListDrives(fake, kShowFreeSpace);
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[3].text, "g:\\ (4.0G)");
  EXPECT_EQ(rows[3].kind, kDriveRam);
  for (const std::string& q : fake.queried) EXPECT_EQ(q.rfind("space", 0), 0u) << q;
  EXPECT_EQ(DriveIconId(kDriveRemovable), 0);
  EXPECT_EQ(DriveIconId(99), 163);
}

TEST(FreeSpaceText, UnitsAndRounding) {
  EXPECT_EQ(FormatFreeSpace(0), "0.0k");
  EXPECT_EQ(FormatFreeSpace(500), "0.5k");
  EXPECT_EQ(FormatFreeSpace(1048576), "1024.0k");
  EXPECT_EQ(FormatFreeSpace(1048577), "1.0M");
  EXPECT_EQ(FormatFreeSpace(4294967297ull), "4.0G");
  EXPECT_EQ(FormatFreeSpace(5497558138880ull), "5.0T");
  EXPECT_EQ(FormatFreeSpace(10240ull << 40), "10240.0T");
}

TEST_F(DriveRowsTest, RowsAreDrawnAtTheirPlaces) {
  FakeDrives fake(*platform_);
  fake.drives = {{'c', {DriveType::kFixed, platform::VolumeInfo{"SYS", 0, ""}, 2048}}};
  // A bare parent window for the control, without a template.
  struct Parent : framework::CWnd {
    explicit Parent(framework::WindowManager& windows) { windows_ = &windows; }
    bool Make() {
      return CreateState(framework::WindowClass::kDialog, "", 0, {0, 0, 300, 200}, nullptr, 0);
    }
  } host(windows());
  ASSERT_TRUE(host.Make());
  for (unsigned options : {7u, 3u}) {
    CDriveCombo combo(fake);
    ASSERT_TRUE(combo.Create(options, {10, 10, 200, 100}, &host, resources::IDC_DRIVES));
    EXPECT_EQ(combo.text_height(), 13);
    EXPECT_EQ(combo.item_height(), 16);
    ASSERT_EQ(combo.GetCount(), 1);
    EXPECT_EQ(combo.GetDrive(), "");  // the current directory is on d:
    combo.SelectDrive("C:\\Games");
    EXPECT_EQ(combo.GetDrive(), "c:\\");
    combo.SelectDrive("\\");
    EXPECT_EQ(combo.GetCurSel(), 0);
    framework::CDC dc;
    combo.PaintRow(dc, 0, framework::ODS_SELECTED | framework::ODS_FOCUS, {0, 40, 200, 56});
    const auto& ops = dc.ops();
    const bool icons = options & kShowIcons;
    ASSERT_EQ(ops.size(), icons ? 4u : 3u);
    EXPECT_EQ(ops[0].kind, framework::DrawOp::kFill);
    EXPECT_EQ(ops[0].color, framework::GetSysColor(framework::COLOR_HIGHLIGHT));
    std::size_t t = 1;
    if (icons) {
      EXPECT_EQ(ops[1].kind, framework::DrawOp::kIcon);
      EXPECT_EQ(ops[1].rect, (framework::CRect{3, 40, 19, 56}));
      t = 2;
    }
    EXPECT_EQ(ops[t].kind, framework::DrawOp::kText);
    EXPECT_EQ(ops[t].text, "c:\\ sys (2.0k)");
    EXPECT_EQ(ops[t].rect.left, icons ? 23 : 3);
    EXPECT_EQ(ops[t].rect.top, 40 + (16 - 13) / 2);
    EXPECT_EQ(ops[t].color, framework::GetSysColor(framework::COLOR_HIGHLIGHTTEXT));
    EXPECT_EQ(ops[t + 1].kind, framework::DrawOp::kFrame);
    // The closed field draws the selection; without one, nothing.
    framework::CDC field;
    combo.SetCurSel(-1);
    combo.PaintRow(field, 0, framework::ODS_COMBOBOXEDIT, {0, 0, 200, 16});
    EXPECT_TRUE(field.ops().empty());
  }
}

}  // namespace
}  // namespace cdsetup::pages
