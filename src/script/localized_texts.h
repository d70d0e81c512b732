// The texts of one language: the values of the IDS_ keys in the language
// section, read when needed (nothing is cached) by the script's reading rule.
#pragma once

#include <string>
#include <string_view>

#include "script/install_script.h"

namespace cdsetup::script {

class LocalizedTexts {
 public:
  /// `language` is the language section name; a name without a section gives
  /// empty texts. The script must outlive this object.
  LocalizedTexts(const InstallScript& script, std::string language)
      : script_(&script), language_(std::move(language)) {}

  const std::string& language() const { return language_; }
  const InstallScript& script() const { return *script_; }

  /// The text of `key`, at most 259 characters; "" when missing.
  std::string Get(std::string_view key) const { return script_->ReadText(language_, key); }

 private:
  const InstallScript* script_;
  std::string language_;
};

}  // namespace cdsetup::script
