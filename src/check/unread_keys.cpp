#include "check/unread_keys.h"

#include <optional>

#include "base/ascii.h"
#include "check/used_keys.h"

namespace cdsetup::check {

namespace {

std::optional<SectionKind> KindOf(const Medium& medium, std::string_view section) {
  using base::EqualsIgnoreCaseAscii;
  if (EqualsIgnoreCaseAscii(section, "Option")) return SectionKind::kOption;
  if (EqualsIgnoreCaseAscii(section, "Language")) return SectionKind::kLanguageList;
  for (const char* type : {"min", "std", "max"}) {
    if (EqualsIgnoreCaseAscii(section, type)) return SectionKind::kInstallType;
  }
  for (const LanguageSection& l : medium.languages) {
    if (EqualsIgnoreCaseAscii(section, l.name)) return SectionKind::kLanguage;
  }
  return std::nullopt;
}

// Which one a read finds: by its line, where the platform could tell it.
std::string OnlyTheFirstIsRead(std::size_t line) {
  return line ? "only the one on line " + std::to_string(line) + " is read"
              : "only the first one is read";
}

}  // namespace

void CheckUnreadKeys(const Medium& medium) {
  const ScriptMap& script = medium.script;
  for (const platform::ProfileEntry& section : script.sections()) {
    const std::string name = "[" + section.name + "]";
    if (section.repeated) {
      medium.report.Add(section.line,
                        name + " again: " + OnlyTheFirstIsRead(script.SectionLine(section.name)));
      continue;
    }
    std::optional<SectionKind> kind = KindOf(medium, section.name);
    if (!kind) {
      medium.report.Add(section.line,
                        name + " is never read: no setting, list or language of that name");
      continue;
    }
    for (const platform::ProfileEntry& key : script.Keys(section.name)) {
      if (key.repeated) {
        medium.report.Add(key.line, KeyName(section.name, key.name) + " again: " +
                                        OnlyTheFirstIsRead(script.Line(section.name, key.name)));
      } else if (!IsReadKey(*kind, key.name)) {
        medium.report.Add(key.line, KeyName(section.name, key.name) + " is never read");
      }
    }
  }
}

}  // namespace cdsetup::check
