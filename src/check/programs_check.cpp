#include "check/programs_check.h"

#include "base/ascii.h"
#include "check/count_check.h"

namespace cdsetup::check {

namespace {

bool IsProgram(const Medium& medium, const std::string& path) {
  auto info = medium.platform().GetFileInfo(path);
  return info.ok() && !info->is_directory;
}

void CheckExtraPrograms(const Medium& medium, const LanguageSection& language) {
  const ScriptMap& script = medium.script;
  const std::string& section = language.name;
  const int count = CheckCount(
      script, medium.report, {section, "OTHERFILES", {"Message%d", "Exe%d"}, "it reads as empty"});
  for (int n = 0; n < count; ++n) {
    const std::string message = script::FamilyKey("Message%d", n);
    if (script.Has(section, message) && script.Text(section, message).empty()) {
      medium.report.Add(script.Line(section, message),
                        KeyName(section, message) + " is empty: the question would be blank");
    }
    const std::string key = script::FamilyKey("Exe%d", n);
    if (!script.Has(section, key)) continue;  // reported with the count
    const std::string exe = script.Text(section, key);
    if (exe.empty()) {
      medium.report.Add(script.Line(section, key),
                        KeyName(section, key) + " is empty: Yes would start no program");
    } else if (!IsProgram(medium, medium.root + "\\" + exe)) {
      medium.report.Add(script.Line(section, key), KeyName(section, key, exe) +
                                                       ": no such program on the medium: Yes "
                                                       "would start nothing");
    }
  }
}

void CheckDirectX(const Medium& medium, const LanguageSection& language) {
  constexpr std::string_view kKey = "IDS_DXINSTALL_PATH";
  std::string path = medium.script.Text(language.name, kKey);
  if (path.empty()) return;  // the texts' to report
  const std::size_t line = medium.script.Line(language.name, kKey);
  const std::string what = KeyName(language.name, kKey, path);
  if (path.size() < 3 || path[1] != ':' || (path[2] != '\\' && path[2] != '/')) {
    medium.report.Add(line, what + ": not a full path, whose drive letter would become the CD's");
    return;
  }
  // The installer knows the CD by its lower-case letter.
  path[0] = base::ToLowerAscii(medium.root[0]);
  if (!IsProgram(medium, path)) {
    medium.report.Add(line,
                      what + ": no such program on the CD (" + path + "): Yes would start nothing");
  }
}

}  // namespace

void CheckPrograms(const Medium& medium, const LanguageSection& language) {
  CheckExtraPrograms(medium, language);
  CheckDirectX(medium, language);
}

void CheckSharedUninstaller(const Medium& medium) {
  const std::string path = medium.root + "\\Kestrune.exe";
  if (!IsProgram(medium, path)) {
    medium.report.Add(0,
                      "Kestrune.exe is not beside the installer: the shared uninstaller "
                      "would not be placed");
  }
}

}  // namespace cdsetup::check
