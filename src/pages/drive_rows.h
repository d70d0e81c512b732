// The rows of the drive list as a function of the drive queries' answers:
// which drives are offered, their kind, and the row text
// ("c:\ system (1.4G)").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace cdsetup::pages {

enum DriveKind : int {
  kDriveFloppy = 1,
  kDriveFixed = 2,
  kDriveNetwork = 3,
  kDriveCdRom = 4,
  kDriveRam = 5,
  kDriveRemovable = 6,
  kDriveCompressed = 7,
};

/// Display options, the lowest three bits of the drive list's style.
enum DriveOptions : unsigned {
  kShowVolumeName = 1,
  kShowFreeSpace = 2,
  kShowIcons = 4,
};

struct DriveRow {
  std::string text;  // ANSI
  int kind = 0;
};

/// The drives a to z that may be installed to, in letter order: floppy and
/// CD-ROM drives are skipped before any query touches their media.
std::vector<DriveRow> ListDrives(platform::Platform& platform, unsigned options);

/// Free bytes as the row shows them: "%.1f" and "k", "M", "G" or "T".
std::string FormatFreeSpace(std::uint64_t bytes);

/// The icon resource of a drive kind; 0 for a kind drawn without one.
int DriveIconId(int kind);

}  // namespace cdsetup::pages
