#include "check/count_check.h"

#include <algorithm>

#include "base/ascii.h"
#include "check/used_keys.h"

namespace cdsetup::check {

namespace {

// Whether ParseNumber finds digits: after blanks and a sign, a digit.
bool HasDigits(std::string_view text) {
  std::size_t i = text.find_first_not_of(" \t\n\v\f\r");
  if (i != std::string_view::npos && (text[i] == '+' || text[i] == '-')) ++i;
  return i < text.size() && text[i] >= '0' && text[i] <= '9';
}

}  // namespace

int CheckCount(const ScriptMap& script, Report& report, const CountedFamily& family) {
  const std::string_view section = family.section;
  const std::string value = script.Text(section, family.count_key);
  const std::size_t line = script.Line(section, family.count_key);
  const std::string name = KeyName(section, family.count_key, value);
  const int count = script::ParseNumber(value);
  if (!value.empty() && !HasDigits(value)) {
    report.Add(line, name + " is not a number: it reads as 0");
  } else if (count < 0) {
    report.Add(line, name + " is below 0: it reads as none");
  }
  const int used = std::clamp(count, 0, family.limit);
  if (count > family.limit) {
    report.Add(line, name + ": at most " + std::to_string(family.limit) + " are taken, " +
                         std::to_string(count - family.limit) + " left out");
  }

  for (std::string_view pattern : family.members) {
    for (int n = 0; n < used; ++n) {
      const std::string key = script::FamilyKey(pattern, n);
      if (script.Has(section, key)) continue;
      report.Add(line, KeyName(section, key) + " is missing, though " +
                           std::string(family.count_key) + "=" + value +
                           " counts it: " + std::string(family.missing_means));
    }
    for (const platform::ProfileEntry& key : script.Keys(section)) {
      std::optional<int> n = FamilyIndex(pattern, key.name);
      if (!n || *n < used || key.repeated) continue;
      const bool language_id =
          base::EqualsIgnoreCaseAscii(section, "Language") && IsLanguageIdKey(key.name);
      if (language_id) continue;
      report.Add(key.line, KeyName(section, key.name, script.Text(section, key.name)) + ": " +
                               std::string(family.count_key) + "=" + value +
                               " does not count it: it is never read");
    }
  }
  return used;
}

}  // namespace cdsetup::check
