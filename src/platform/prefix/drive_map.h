// Which host directory each Windows drive letter stands for: the prefix's
// dosdevices/ links, plus the installation medium shown as a CD-ROM drive.
#pragma once

#include <array>
#include <optional>
#include <string>

namespace cdsetup::platform {

class DriveMap {
 public:
  /// Reads the links "dosdevices/<x>:" of a prefix. A link whose target is
  /// missing is still listed (its drive has no root). Other entries ("c::")
  /// are ignored.
  static DriveMap Load(const std::string& prefix_dir);

  /// Shows `medium_dir` as a drive: the letter whose link already points at
  /// it, else the first free letter from d:. Kept in memory only. Returns the
  /// letter, or nullopt when every letter is taken.
  std::optional<char> AddMedium(const std::string& medium_dir);

  /// The host directory of drive `letter` (either case), or nullptr.
  const std::string* Target(char letter) const;
  void Set(char letter, std::string host_dir);

  std::optional<char> medium() const { return medium_; }
  bool IsMedium(char letter) const;

 private:
  static int Index(char letter);

  std::array<std::optional<std::string>, 26> targets_;
  std::optional<char> medium_;
};

}  // namespace cdsetup::platform
