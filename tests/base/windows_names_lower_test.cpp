// The layers below the framework never include <windows.h>, so none of their
// names may be one that it rewrites as an A/W macro: those names are poisoned
// before every header of those layers is read, and using one fails the build.
#include "windows_names_lower.inc"

#include <gtest/gtest.h>

namespace cdsetup::platform {
namespace {

TEST(WindowsNames, ThePlatformsVerbsCarryTheAnsiNamesThatNoMacroRewrites) {
  // The calls the logic makes, by the names a Windows build sees too.
  base::Status (Platform::*copy)(std::string_view, std::string_view, bool) = &Platform::CopyFileA;
  base::Status (Platform::*make)(std::string_view) = &Platform::CreateDirectoryA;
  DriveType (Platform::*drive)(std::string_view) = &Platform::GetDriveTypeA;
  EXPECT_NE(copy, nullptr);
  EXPECT_NE(make, nullptr);
  EXPECT_NE(drive, nullptr);
}

}  // namespace
}  // namespace cdsetup::platform
