#include "platform/prefix/folded_name_cache.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>

#include "support/prefix_fixture.h"
#include "support/scoped_temp_dir.h"

namespace cdsetup::platform {
namespace {

using testing::WriteFile;

TEST(FoldedNameCache, SeesChangesMadeByOthersAndKeepsItsOwn) {
  testing::ScopedTempDir dir;
  const std::string d = dir / "d";
  WriteFile(d + "/Readme.TXT", "r");
  FoldedNameCache cache;
  EXPECT_EQ(cache.Find(d, "README.txt"), "Readme.TXT");
  EXPECT_EQ(cache.Find(d, "other.txt"), std::nullopt);

  // Another program adds and renames entries: the folder's time moves on.
  WriteFile(d + "/OTHER.txt", "o");
  ASSERT_EQ(std::rename((d + "/Readme.TXT").c_str(), (d + "/readme.md").c_str()), 0);
  EXPECT_EQ(cache.Find(d, "other.TXT"), "OTHER.txt");
  EXPECT_EQ(cache.Find(d, "readme.txt"), std::nullopt);

  // What this process made is found without another look at the folder.
  WriteFile(d + "/Nowy.dat", "n");
  cache.NoteCreated(d, "Nowy.dat");
  EXPECT_EQ(cache.Find(d, "NOWY.DAT"), "Nowy.dat");
  EXPECT_EQ(cache.Find(dir / "missing", "x"), std::nullopt);
}

class FoldedLookupTest : public testing::PrefixFixture {};

// Files made through the platform one after another, and one slipped in
// beside them in another case, are all found under any case.
TEST_F(FoldedLookupTest, ManyNewFilesInOneFolderStayFindable) {
  ASSERT_TRUE(platform_->CreateDirectoryA("C:\\Dane").ok());
  WriteFile(medium("src.bin"), "s");
  for (int i = 0; i < 50; ++i) {
    std::string name = "C:\\Dane\\Plik" + std::to_string(i) + ".Bin";
    ASSERT_TRUE(platform_->CopyFileA("D:\\src.bin", name, false).ok()) << name;
    if (i == 25) WriteFile(c_drive("Dane/OBCY.TXT"), "x");
  }
  for (int i = 0; i < 50; ++i) {
    EXPECT_TRUE(platform_->GetFileInfo("c:\\dane\\PLIK" + std::to_string(i) + ".BIN").ok()) << i;
  }
  EXPECT_TRUE(platform_->GetFileInfo("C:\\DANE\\obcy.txt").ok());
  // A name differing only in case replaces the stored file instead of adding one.
  ASSERT_TRUE(platform_->CopyFileA("D:\\src.bin", "C:\\dane\\plik3.bin", false).ok());
  auto listed = platform_->FindFiles("C:\\Dane\\*");
  ASSERT_TRUE(listed.ok());
  EXPECT_EQ(listed.value().size(), 51u + 2u);  // with "." and ".."
}

}  // namespace
}  // namespace cdsetup::platform
