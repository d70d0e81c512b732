// What Windows reads from cdsetup.exe before it runs a line of it: the
// manifest, the version Explorer shows, and the icon, read back through the
// system's own resource functions from the program beside this test.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "resources/image.h"
#include "resources/resource_ids.h"
#include "support/installer_beside_tests.h"

namespace cdsetup {
namespace {

class ProgramResources : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryExW(testing::InstallerBesideTests().c_str(), nullptr,
                             LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module_, nullptr) << "cdsetup.exe beside the tests: error " << GetLastError();
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
  }
  HMODULE module_ = nullptr;
};

TEST_F(ProgramResources, TheManifestAsksForWhatAnInstallerNeeds) {
  HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_NE(found, nullptr);
  const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module_, found)));
  const std::string manifest(bytes, SizeofResource(module_, found));
  for (const char* needed :
       {"level=\"requireAdministrator\"", "Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
        ">PerMonitorV2, PerMonitor<", ">true/pm<", "{e2011457-1546-43c5-a5fe-008deee3d3f0}",
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {
    EXPECT_NE(manifest.find(needed), std::string::npos) << needed;
  }
}

TEST_F(ProgramResources, TheVersionNamesTheProgram) {
  const std::wstring path = testing::InstallerBesideTests();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> info(size);
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixed_size = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixed_size));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
  const std::wstring version = std::wstring(L"" CDSETUP_VERSION_WIDE);
  const wchar_t* fields[][2] = {{L"OriginalFilename", L"cdsetup.exe"},
                                {L"ProductVersion", version.c_str()},
                                {L"FileVersion", version.c_str()}};
  for (const auto& [name, expected] : fields) {
    wchar_t* value = nullptr;
    UINT length = 0;
    const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    ASSERT_TRUE(VerQueryValueW(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &length))
        << std::string(key.begin(), key.end());
    EXPECT_EQ(std::wstring(value), expected);
  }
}

// The icon Explorer draws is the picture the program draws itself.
TEST_F(ProgramResources, TheIconIsTheProgramsOwnPicture) {
  for (const bool large : {false, true}) {
    SCOPED_TRACE(large);
    const resources::Image expected = resources::LoadIconImage(resources::IDI_APP, large);
    const int side = expected.width;
    HICON icon = static_cast<HICON>(LoadImageW(module_, MAKEINTRESOURCEW(resources::IDI_APP),
                                               IMAGE_ICON, side, side, LR_DEFAULTCOLOR));
    ASSERT_NE(icon, nullptr);
    ICONINFO parts{};
    ASSERT_TRUE(GetIconInfo(icon, &parts));
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = side;
    bmi.bmiHeader.biHeight = -side;  // top-down
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(side) * side);
    HDC dc = GetDC(nullptr);
    const int rows = GetDIBits(dc, parts.hbmColor, 0, side, pixels.data(), &bmi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    DeleteObject(parts.hbmColor);
    DeleteObject(parts.hbmMask);
    DestroyIcon(icon);
    ASSERT_EQ(rows, side);
    int differing = 0;
    for (int y = 0; y < side; ++y) {
      for (int x = 0; x < side; ++x) {
        const std::uint32_t want = expected.at(x, y);
        const std::uint32_t got = pixels[static_cast<std::size_t>(y) * side + x];
        // Transparent pixels keep no colour worth comparing.
        if ((want >> 24) == 0 ? (got >> 24) != 0 : got != want) ++differing;
      }
    }
    EXPECT_EQ(differing, 0);
  }
}

}  // namespace
}  // namespace cdsetup
