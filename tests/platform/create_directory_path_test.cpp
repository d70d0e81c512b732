#include "platform/create_directory_path.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/forwarding_platform.h"
#include "support/prefix_fixture.h"

namespace cdsetup::platform {
namespace {

using testing::Exists;

// Records every directory the helper asks for; can fail one of them.
class RecordingDirs : public testing::ForwardingPlatform {
 public:
  using ForwardingPlatform::ForwardingPlatform;
  base::Status CreateDirectoryA(std::string_view path) override {
    asked.emplace_back(path);
    if (path == fail_on) return base::Status::IoError("injected");
    return ForwardingPlatform::CreateDirectoryA(path);
  }
  std::vector<std::string> asked;
  std::string fail_on;
};

class CreateDirectoryPathTest : public testing::PrefixFixture {
 protected:
  void SetUp() override {
    PrefixFixture::SetUp();
    dirs_ = std::make_unique<RecordingDirs>(*platform_);
  }
  std::unique_ptr<RecordingDirs> dirs_;
};

TEST_F(CreateDirectoryPathTest, CreatesEachPrefixShortestFirst) {
  ASSERT_TRUE(CreateDirectoryPath(*dirs_, "C:\\Games\\Foo").ok());
  EXPECT_EQ(dirs_->asked, (std::vector<std::string>{"C:\\Games", "C:\\Games\\Foo"}));
  EXPECT_TRUE(Exists(c_drive("Games/Foo")));
}

// The Start-menu folder: the system's folder by its name, the company and
// program below it as texts.
TEST_F(CreateDirectoryPathTest, LevelsPastTheTextsStartAreMadeAsTextNames) {
  ASSERT_TRUE(CreateDirectoryPath(*dirs_, TextNamedPath("C:\\Menu", "Firma\\Gra\\")).ok());
  EXPECT_EQ(dirs_->asked, (std::vector<std::string>{"C:\\Menu",
                                                    "C:\\Menu\\\x01"
                                                    "Firma",
                                                    "C:\\Menu\\\x01"
                                                    "Firma\\Gra",
                                                    "C:\\Menu\\\x01"
                                                    "Firma\\Gra\\"}));
  EXPECT_TRUE(Exists(c_drive("Menu/Firma/Gra")));
}

TEST_F(CreateDirectoryPathTest, TrailingBackslashAsksForTheWholePathWhichThenExists) {
  ASSERT_TRUE(CreateDirectoryPath(*dirs_, "C:\\Games\\Foo\\").ok());
  EXPECT_EQ(dirs_->asked,
            (std::vector<std::string>{"C:\\Games", "C:\\Games\\Foo", "C:\\Games\\Foo\\"}));
  EXPECT_TRUE(Exists(c_drive("Games/Foo")));
}

TEST_F(CreateDirectoryPathTest, ExistingLevelsAreNoFailure) {
  ASSERT_TRUE(CreateDirectoryPath(*dirs_, "C:\\windows\\TV\\").ok());
  EXPECT_TRUE(Exists(c_drive("windows/TV")));
  EXPECT_TRUE(CreateDirectoryPath(*dirs_, "C:\\").ok());
}

TEST_F(CreateDirectoryPathTest, RootedAndRelativePathsStartAtTheirFirstLevel) {
  ASSERT_TRUE(platform_->SetCurrentDirectoryA("C:\\").ok());
  ASSERT_TRUE(CreateDirectoryPath(*dirs_, "\\A\\B").ok());
  ASSERT_TRUE(CreateDirectoryPath(*dirs_, "R\\S").ok());
  EXPECT_EQ(dirs_->asked, (std::vector<std::string>{"\\A", "\\A\\B", "R", "R\\S"}));
  EXPECT_TRUE(Exists(c_drive("A/B")));
  EXPECT_TRUE(Exists(c_drive("R/S")));
}

TEST_F(CreateDirectoryPathTest, AFailingLevelFailsAndStops) {
  dirs_->fail_on = "C:\\Games\\Foo";
  const base::Status failed = CreateDirectoryPath(*dirs_, "C:\\Games\\Foo\\Bar");
  EXPECT_TRUE(failed.message().starts_with("create C:\\Games\\Foo: ")) << failed.ToString();
  EXPECT_EQ(dirs_->asked, (std::vector<std::string>{"C:\\Games", "C:\\Games\\Foo"}));
  // A file in the way is another failure than "already exists".
  testing::WriteFile(c_drive("File"), "x");
  EXPECT_FALSE(CreateDirectoryPath(*platform_, "C:\\File\\Sub").ok());
}

TEST_F(CreateDirectoryPathTest, EmptyAndOverLongPathsAreRefusedUntouched) {
  EXPECT_TRUE(CreateDirectoryPath(*dirs_, "").IsRefused());
  std::string p255 = "C:\\" + std::string(252, 'a');
  ASSERT_EQ(p255.size(), 255u);
  std::string p256 = p255 + "b";
  EXPECT_TRUE(CreateDirectoryPath(*dirs_, p256).IsRefused());
  EXPECT_TRUE(dirs_->asked.empty());
  // 255 characters is allowed; the host refuses a 252-byte name itself.
  EXPECT_TRUE(
      CreateDirectoryPath(*dirs_, "C:\\" + std::string(120, 'a') + "\\" + std::string(131, 'b'))
          .ok());
  // The mark of text names is no character of the path.
  EXPECT_TRUE(CreateDirectoryPath(
                  *dirs_, TextNamedPath("C:\\" + std::string(120, 'c'), std::string(131, 'd')))
                  .ok());
}

}  // namespace
}  // namespace cdsetup::platform
