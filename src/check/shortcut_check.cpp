#include "check/shortcut_check.h"

#include "base/ascii.h"
#include "base/limits.h"
#include "check/count_check.h"
#include "check/file_lists.h"

namespace cdsetup::check {

namespace {

// Characters no Windows file name holds; a folder name may hold "\".
constexpr std::string_view kNotInFolderNames = "/:*?\"<>|";
constexpr std::string_view kNotInFileNames = "\\/:*?\"<>|";

bool Installed(const Medium& medium, const Installable& installable, const std::string& file) {
  const std::string name = InstalledName(medium.platform(), file);
  for (const std::set<std::string>* type : installable) {
    if (type->count(name)) return true;
  }
  return false;
}

std::string NoneInstalls(const Medium& medium) {
  return medium.install_type_shown ? ": no install type installs it"
                                   : ": the std install (the only one offered) does not install "
                                     "it";
}

void CheckFileName(const Medium& medium, std::size_t line, const std::string& what,
                   const std::string& name, std::string_view not_allowed, const char* fails) {
  const std::size_t bad = name.find_first_of(not_allowed);
  if (bad != std::string::npos) {
    medium.report.Add(line,
                      what + ": a name cannot hold '" + std::string(1, name[bad]) + "'" + fails);
  }
}

}  // namespace

void CheckShortcuts(const Medium& medium, const LanguageSection& language,
                    const Installable& installable) {
  const ScriptMap& script = medium.script;
  const std::string& section = language.name;
  for (const char* key : {"IDS_COMPANY_NAME", "IDS_PROGRAM_NAME"}) {
    const std::string name = script.Text(section, key);
    CheckFileName(medium, script.Line(section, key), KeyName(section, key, name), name,
                  kNotInFolderNames, ": the Start-menu folder cannot be made");
  }
  const int count = CheckCount(script, medium.report,
                               {section,
                                "Shortcuts",
                                {"Description%d", "File%d"},
                                "it reads as empty",
                                base::kMaxShortcuts});
  for (int n = 0; n < count; ++n) {
    const std::string link_key = script::FamilyKey("Description%d", n);
    const std::string link = script.Text(section, link_key);
    const std::size_t link_line = script.Line(section, link_key);
    if (script.Has(section, link_key) && link.empty()) {
      medium.report.Add(link_line, KeyName(section, link_key) + " is empty: the link has no name");
    } else if (!link.empty()) {
      const std::string what = KeyName(section, link_key, link);
      CheckFileName(medium, link_line, what, link, kNotInFileNames,
                    ": the shortcut cannot be made");
      const bool lnk =
          link.size() > 4 &&
          base::EqualsIgnoreCaseAscii(std::string_view(link).substr(link.size() - 4), ".lnk");
      if (!lnk) {
        medium.report.Add(link_line, what + ": no .lnk ending: the file made is no shortcut");
      }
    }
    const std::string file_key = script::FamilyKey("File%d", n);
    if (!script.Has(section, file_key)) continue;  // reported with the count
    const std::string file = script.Text(section, file_key);
    const std::size_t file_line = script.Line(section, file_key);
    if (file.empty()) {
      medium.report.Add(file_line,
                        KeyName(section, file_key) + " is empty: the shortcut starts nothing");
    } else if (!Installed(medium, installable, file)) {
      medium.report.Add(file_line, KeyName(section, file_key, file) + NoneInstalls(medium) +
                                       ": the shortcut would point nowhere");
    }
  }
}

void CheckUninstaller(const Medium& medium, const Installable& installable) {
  constexpr std::string_view kKey = "DEINSTALLEXE_NAME";
  const std::string name = medium.script.Text("Option", kKey);
  const std::size_t line = medium.script.Line("Option", kKey);
  if (name.empty()) {
    medium.report.Add(line,
                      (medium.script.Has("Option", kKey) ? KeyName("Option", kKey) + " is empty"
                                                         : "[Option] has no " + std::string(kKey)) +
                          ": the uninstall entry would name the target folder");
  } else if (!Installed(medium, installable, name)) {
    medium.report.Add(line, KeyName("Option", kKey, name) + NoneInstalls(medium) +
                                ": the uninstall entry would point nowhere");
  }
}

}  // namespace cdsetup::check
