// What every page and step that shows the script's texts is given: the
// platform, the install script and the language section. Texts are read when
// they are needed (nothing is cached), by the script's reading rule.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"
#include "script/install_script.h"

namespace cdsetup::script {

class LocalizedTexts {
 public:
  /// `language` is the language section's name; a name without a section
  /// (or "") gives empty texts. The platform must outlive this object.
  LocalizedTexts(InstallScript script, std::string language)
      : script_(std::move(script)), language_(std::move(language)) {}
  LocalizedTexts(platform::Platform& platform, std::string ini_path, std::string language)
      : LocalizedTexts(InstallScript(platform, std::move(ini_path)), std::move(language)) {}

  const std::string& language() const { return language_; }
  const InstallScript& script() const { return script_; }
  platform::Platform& platform() const { return script_.platform(); }

  /// The text of `key` in the language section, at most 259 characters; ""
  /// when missing.
  std::string Get(std::string_view key) const { return script_.ReadText(language_, key); }
  /// A value of the [Option] section.
  std::string Option(std::string_view key) const { return script_.ReadText("Option", key); }
  /// A value of any other section, and its leading number.
  std::string Read(std::string_view section, std::string_view key) const {
    return script_.ReadText(section, key);
  }
  int ReadNumber(std::string_view section, std::string_view key) const {
    return ParseNumber(Read(section, key));
  }

 private:
  InstallScript script_;
  std::string language_;
};

}  // namespace cdsetup::script
