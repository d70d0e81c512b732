#include "pages/drive_rows.h"

#include "base/number_text.h"
#include "resources/resource_ids.h"

namespace cdsetup::pages {
namespace {

constexpr std::uint32_t kCompressedVolume = 0x8000;
constexpr std::size_t kVolumeNameBuffer = 256;

}  // namespace

std::string FormatFreeSpace(std::uint64_t bytes) {
  static const char* const kUnits[] = {"k", "M", "G", "T"};
  double v = static_cast<double>(bytes);
  int index = 0;
  const char* unit;
  // Divided at least once; a value of exactly 1024 stays in the smaller unit.
  do {
    unit = kUnits[index++];
    v /= 1024;
  } while (v > 1024 && index < 4);
  return base::FormatTenths(v) + unit;
}

int DriveIconId(int kind) {
  switch (kind) {
    case kDriveFloppy:
      return resources::IDI_FLOPPY;
    case kDriveFixed:
      return resources::IDI_FIXED_DISK;
    case kDriveNetwork:
      return resources::IDI_NETWORK;
    case kDriveCdRom:
      return resources::IDI_CDROM;
    case kDriveRam:
      return resources::IDI_RAM_DISK;
    case kDriveRemovable:
      return 0;
    case kDriveCompressed:
      return resources::IDI_COMPRESSED;
    default:
      return resources::IDI_UNKNOWN_DRIVE;
  }
}

std::vector<DriveRow> ListDrives(platform::Platform& platform, unsigned options) {
  std::vector<DriveRow> rows;
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    const std::string root = std::string(1, letter) + ":\\";
    const int type = static_cast<int>(platform.GetDriveTypeA(root));
    if (type == 0 || type == 1) continue;
    int kind = type - 1;
    if (kind == kDriveFloppy && letter > 'b') kind = kDriveRemovable;
    if (kind == kDriveFloppy || kind == kDriveCdRom) continue;
    std::string text = root;
    if (options & kShowVolumeName) {
      if (auto volume = platform.GetVolumeInformationA(root); volume.ok()) {
        std::string name = volume->name;
        if (name.size() > kVolumeNameBuffer - 1) name.resize(kVolumeNameBuffer - 1);
        text += " " + name;
        if (volume->file_system_flags & kCompressedVolume) kind = kDriveCompressed;
      }
    }
    text = platform.CharLowerA(text);
    if (options & kShowFreeSpace) {
      if (auto space = platform.GetDiskFreeSpaceA(root); space.ok()) {
        text += " (" + FormatFreeSpace(space->FreeBytes()) + ")";
      }
    }
    rows.push_back({text, kind});
  }
  return rows;
}

}  // namespace cdsetup::pages
