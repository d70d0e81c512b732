// The install script as the check reads it: every value by the installer's
// own reading rule, and beside it what a publisher needs to hear of it:
// which sections and keys the file holds, on which lines, and values whole
// where a read would cut them.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "script/install_script.h"

namespace cdsetup::check {

class ScriptMap {
 public:
  /// `path` is the script's Windows path. The platform must outlive the map.
  ScriptMap(platform::Platform& platform, std::string path);

  const script::InstallScript& script() const { return script_; }
  platform::Platform& platform() const { return script_.platform(); }

  /// Every section header, in file order.
  const std::vector<platform::ProfileEntry>& sections() const { return sections_; }
  /// Every key of the first section named `section`, in file order.
  const std::vector<platform::ProfileEntry>& Keys(std::string_view section) const;

  bool HasSection(std::string_view section) const { return FindSection(section) != nullptr; }
  bool Has(std::string_view section, std::string_view key) const {
    return FindKey(section, key) != nullptr;
  }
  /// The line of the section's first header; 0 when it is missing.
  std::size_t SectionLine(std::string_view section) const;
  /// The line of the key, else of its section's header, else 0.
  std::size_t Line(std::string_view section, std::string_view key) const;

  /// The value as the installer reads it: at most 259 characters.
  std::string Text(std::string_view section, std::string_view key) const {
    return script_.ReadText(section, key);
  }
  /// The value whole, as the file holds it (up to 64 KiB).
  std::string WholeText(std::string_view section, std::string_view key) const;

 private:
  const platform::ProfileEntry* FindSection(std::string_view section) const;
  const platform::ProfileEntry* FindKey(std::string_view section, std::string_view key) const;

  script::InstallScript script_;
  std::vector<platform::ProfileEntry> sections_;
  mutable std::map<std::string, std::vector<platform::ProfileEntry>> keys_;  // lower-case section
};

/// How a report names a key and its value: "[std] 3=Dane\Mowa.snd", or
/// "[std] 3" without a value.
std::string KeyName(std::string_view section, std::string_view key, std::string_view value = {});

}  // namespace cdsetup::check
