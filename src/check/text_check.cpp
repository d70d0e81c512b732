#include "check/text_check.h"

#include <cstdio>

#include "base/limits.h"
#include "check/used_keys.h"

namespace cdsetup::check {

void CheckValue(const Medium& medium, std::size_t line, const std::string& what,
                const std::string& whole, int code_page) {
  if (whole.size() > base::kMaxText) {
    medium.report.Add(line, what + ": " + std::to_string(whole.size()) +
                                " characters: a value holds " + std::to_string(base::kMaxText) +
                                ", the rest is cut");
  }
  const std::size_t bad = medium.platform().FindInvalidByte(whole, code_page);
  if (bad != std::string::npos) {
    char byte[8];
    std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>(whole[bad]));
    medium.report.Add(line, what + ": byte " + byte + " at column " + std::to_string(bad + 1) +
                                " is no character of code page " + std::to_string(code_page));
  }
}

void CheckTexts(const Medium& medium, const LanguageSection& language) {
  const ScriptMap& script = medium.script;
  const std::string& section = language.name;
  for (const UsedText& text : UsedTexts()) {
    if ((text.when == Shown::kWithLicence && !medium.licence_shown) ||
        (text.when == Shown::kWithInstallType && !medium.install_type_shown)) {
      continue;
    }
    const std::string use(text.use);
    if (!script.Has(section, text.key)) {
      medium.report.Add(
          script.SectionLine(section),
          "[" + section + "] has no " + std::string(text.key) + ": " + use + " would be empty");
    } else if (script.Text(section, text.key).empty()) {
      medium.report.Add(script.Line(section, text.key),
                        KeyName(section, text.key) + " is empty: " + use + " would be empty");
    }
  }
  for (const platform::ProfileEntry& key : script.Keys(section)) {
    if (key.repeated) continue;
    CheckValue(medium, key.line, KeyName(section, key.name), script.WholeText(section, key.name),
               language.code_page);
  }
}

}  // namespace cdsetup::check
