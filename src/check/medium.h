// What every part of a check is given: the script, the report, and the facts
// of the medium that the parts share (its languages, which pages are shown,
// the target folders the script proposes).
#pragma once

#include <string>
#include <vector>

#include "check/report.h"
#include "check/script_map.h"

namespace cdsetup::check {

struct LanguageSection {
  std::string name;      // the section's name, as [Language] gives it
  std::size_t line = 0;  // where [Language] names it
  int code_page = 0;     // the code page its texts must be in
  /// The code page of names on a system that speaks it: the one its
  /// language id gives, else the texts' own.
  int system_code_page = 0;
};

struct Medium {
  const ScriptMap& script;
  Report& report;
  /// The installer's own folder, the CD's root, as it names it ("D:").
  std::string root;
  std::vector<LanguageSection> languages;
  bool licence_shown = false;
  bool install_type_shown = false;
  /// The usable target folders the languages propose, each once.
  std::vector<std::string> target_dirs;

  platform::Platform& platform() const { return script.platform(); }
};

}  // namespace cdsetup::check
