#include "check/scratch_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/scoped_temp_dir.h"

namespace cdsetup::check {
namespace {

namespace fs = std::filesystem;

TEST(ScratchDir, FreshAndGoneWithEverythingInIt) {
  testing::ScopedTempDir parent;
  std::string path;
  {
    auto a = ScratchDir::Make(parent.path());
    auto b = ScratchDir::Make(parent.path());
    ASSERT_TRUE(a.ok() && b.ok());
    EXPECT_NE(a->path(), b->path());
    path = a->path();
    EXPECT_TRUE(fs::is_empty(path));
    testing::WriteFile(a->File("sub/entry.wav"), "RIFF");
  }
  EXPECT_FALSE(fs::exists(path));
  EXPECT_TRUE(fs::is_empty(parent.path()));
  EXPECT_FALSE(ScratchDir::Make(parent / "missing/deeper").ok());
}

}  // namespace
}  // namespace cdsetup::check
