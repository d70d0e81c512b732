#include "script/language_resolution.h"

namespace cdsetup::script {

std::vector<std::string> ListedLanguages(const InstallScript& script) {
  return script.ReadFamily("Language", "%d", script.ReadCount("Language", "Nr", "Language"));
}

std::optional<std::string> ResolveLanguage(const InstallScript& script,
                                           const LanguageChooser& choose) {
  std::string id = script.platform().GetSystemLanguageId();
  std::size_t count = 0;
  std::string mapped = script.ReadText("Language", id, &count);
  if (count > 0) return mapped;
  if (!choose) return std::nullopt;
  return choose(ListedLanguages(script));
}

}  // namespace cdsetup::script
