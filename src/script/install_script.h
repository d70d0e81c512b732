// Typed reads of the install script: every read takes an empty default and a
// 260-byte buffer, so a value is at most 259 characters; numbers, switches and
// numbered key families are built on that one rule.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/limits.h"
#include "platform/platform.h"

namespace cdsetup::script {

class InstallScript {
 public:
  /// `path` is the script's Windows path. The platform must outlive the script.
  InstallScript(platform::Platform& platform, std::string path)
      : platform_(&platform), path_(std::move(path)) {}

  const std::string& path() const { return path_; }
  platform::Platform& platform() const { return *platform_; }

  /// The value, cut to 259 characters; empty when the file, section or key is
  /// missing. `count`, when given, receives the count of characters read.
  std::string ReadText(std::string_view section, std::string_view key,
                       std::size_t* count = nullptr) const;
  /// The leading decimal integer of the value; 0 without digits.
  int ReadNumber(std::string_view section, std::string_view key) const;
  /// True exactly when the value is "true" in any letter case.
  bool ReadSwitch(std::string_view section, std::string_view key) const;
  /// A count of numbered keys kept in `family_section`: the number at
  /// `section`/`key`, but no more than the keys that section holds (a count
  /// beyond them could only name missing members, and a hostile one would
  /// ask billions of questions); 0 for a negative one.
  int ReadCount(std::string_view section, std::string_view key,
                std::string_view family_section) const;
  /// The keys `pattern` with "%d" replaced by 0 .. count-1, read in order; a
  /// missing member reads as "". Nothing for a count of 0 or less.
  std::vector<std::string> ReadFamily(std::string_view section, std::string_view pattern,
                                      int count) const;

 private:
  platform::Platform* platform_;
  std::string path_;
};

/// The leading decimal integer of `text`: optional blanks and a sign, then
/// digits up to the first other character; 0 without digits. Saturates at the
/// limits of int instead of overflowing.
int ParseNumber(std::string_view text);

/// `pattern` with its first "%d" replaced by `n` (no leading zeros).
std::string FamilyKey(std::string_view pattern, int n);

}  // namespace cdsetup::script
