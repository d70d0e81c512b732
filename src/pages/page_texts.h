// What every page is given: the install script and the language section its
// texts come from. Texts are read when they are needed, as the pages do.
#pragma once

#include <string>

#include "platform/system_platform.h"
#include "script/install_script.h"
#include "script/localized_texts.h"

namespace cdsetup::pages {

class PageTexts {
 public:
  PageTexts(std::string ini_path, std::string language)
      : ini_path_(std::move(ini_path)), language_(std::move(language)) {}

  /// The localized text `key` ("" when missing or without a platform).
  std::string Get(std::string_view key) const;
  /// A value of another section of the script.
  std::string Read(std::string_view section, std::string_view key) const;
  int ReadNumber(std::string_view section, std::string_view key) const;

  const std::string& ini_path() const { return ini_path_; }
  const std::string& language() const { return language_; }

 private:
  std::string ini_path_;
  std::string language_;
};

}  // namespace cdsetup::pages
