#include "check/languages.h"

#include "base/ascii.h"
#include "check/count_check.h"
#include "check/used_keys.h"

namespace cdsetup::check {

namespace {

constexpr std::string_view kList = "Language";

LanguageSection* Find(std::vector<LanguageSection>& found, std::string_view name) {
  for (LanguageSection& l : found) {
    if (base::EqualsIgnoreCaseAscii(l.name, name)) return &l;
  }
  return nullptr;
}

}  // namespace

std::vector<LanguageSection> FindLanguages(const ScriptMap& script, Report& report, int forced) {
  std::vector<LanguageSection> found;
  const int listed = CheckCount(
      script, report, {kList, "Nr", {"%d"}, "the language page would offer an empty name"});
  for (int n = 0; n < listed; ++n) {
    const std::string key = script::FamilyKey("%d", n);
    if (!script.Has(kList, key)) continue;  // reported with the count
    const std::string name = script.Text(kList, key);
    if (name.empty()) {
      report.Add(script.Line(kList, key),
                 KeyName(kList, key) + " is empty: the language page would offer an empty name");
    } else if (!Find(found, name)) {
      found.push_back({name, script.Line(kList, key), 0});
    }
  }
  for (const platform::ProfileEntry& key : script.Keys(kList)) {
    if (key.repeated || !IsLanguageIdKey(key.name)) continue;
    if (std::optional<int> n = FamilyIndex("%d", key.name); n && *n < listed) continue;
    const std::string name = script.Text(kList, key.name);
    if (script.platform().LanguageCodePage(key.name) == 0) {
      report.Add(key.line,
                 KeyName(kList, key.name, name) + ": no such language id: no system reports it");
    }
    if (name.empty()) {
      report.Add(key.line, KeyName(kList, key.name) +
                               " is empty: players of that language are asked to choose");
      continue;
    }
    LanguageSection* language = Find(found, name);
    if (!language) {
      found.push_back({name, key.line, 0});
      language = &found.back();
    }
    if (language->system_code_page == 0) {
      language->system_code_page = script.platform().LanguageCodePage(key.name);
    }
  }

  std::vector<LanguageSection> usable;
  for (LanguageSection& l : found) {
    if (!script.HasSection(l.name)) {
      report.Add(l.line, "there is no section [" + l.name + "]: every text of " + l.name +
                             " would be empty");
      continue;
    }
    // The installer's own rule (SectionCodePage), so that the check reads
    // each text as the installer will.
    l.code_page = forced != 0 ? forced : script::SectionCodePage(script.script(), l.name);
    if (l.code_page == 0) l.code_page = script.platform().NameCodePage();
    if (l.system_code_page == 0) l.system_code_page = l.code_page;
    usable.push_back(std::move(l));
  }
  if (found.empty()) {
    report.Add(script.SectionLine(kList),
               "no language is listed or mapped: the language page would offer nothing");
  }
  return usable;
}

}  // namespace cdsetup::check
