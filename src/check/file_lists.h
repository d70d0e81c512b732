// The file list of one install type, read as the copy reads it: every entry
// must name a file of the medium (not a folder) that the copy accepts and
// whose target path fits; sound archives are read through. What the type
// installs, and how much, for the shortcuts and the sizes.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "check/archive_check.h"
#include "check/medium.h"
#include "check/sound_probe.h"

namespace cdsetup::check {

struct InstallTypeSummary {
  /// Every file it leaves below the target, named by InstalledName.
  std::set<std::string> installed;
  int files = 0;
  int sounds = 0;
  std::uint64_t file_bytes = 0;
  std::uint64_t wav_bytes = 0;
};

/// Archives already read, by the name the copy opens them with: an archive
/// in several lists is read once.
using ArchiveCache = std::map<std::string, ArchiveSummary>;

/// Checks the list of `type` ("min", "std" or "max") with its count.
InstallTypeSummary CheckInstallType(const Medium& medium, const SoundProbe& probe,
                                    std::string_view type, ArchiveCache& archives);

/// How a file below the target is compared with another: in lower case (of
/// the code page), with "\" for every separator.
std::string InstalledName(platform::Platform& platform, std::string_view path);

}  // namespace cdsetup::check
