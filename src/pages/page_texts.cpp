#include "pages/page_texts.h"

namespace cdsetup::pages {

std::string PageTexts::Get(std::string_view key) const {
  return Read(language_, key);
}

std::string PageTexts::Read(std::string_view section, std::string_view key) const {
  platform::Platform* platform = platform::SystemPlatform();
  if (!platform) return {};
  return script::InstallScript(*platform, ini_path_).ReadText(section, key);
}

int PageTexts::ReadNumber(std::string_view section, std::string_view key) const {
  return script::ParseNumber(Read(section, key));
}

}  // namespace cdsetup::pages
