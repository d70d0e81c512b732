// Every header of ours compiles after the real <windows.h>, with its A/W
// macros and its constants, as in any translation unit of the Windows build
// that includes it first. A name it rewrites or a constant it defines, met
// where our headers do not expect it, fails this build.
#include "windows_headers.inc"

#include <windows.h>

namespace cdsetup::platform {

// The platform's verbs are the ANSI names, which no macro rewrites.
static_assert(std::is_same_v<decltype(&Platform::CopyFileA),
                             base::Status (Platform::*)(std::string_view, std::string_view, bool)>);
static_assert(
    std::is_same_v<decltype(&Platform::GetDriveTypeA), DriveType (Platform::*)(std::string_view)>);
// Drive types are numbered as GetDriveTypeA numbers them.
static_assert(static_cast<int>(DriveType::kCdRom) == DRIVE_CDROM);
static_assert(static_cast<int>(DriveType::kNoRootDir) == DRIVE_NO_ROOT_DIR);
static_assert(static_cast<int>(DriveType::kRamDisk) == DRIVE_RAMDISK);

}  // namespace cdsetup::platform
