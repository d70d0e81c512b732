// The language sections of a script: the names [Language] lists for the
// language page and those its language ids map to. Each must be a section
// of the script, or every text of that language reads as empty.
#pragma once

#include <vector>

#include "check/medium.h"

namespace cdsetup::check {

/// The language sections, each once, in the order [Language] names them,
/// with the code page of each: `forced` when not 0, else the one the
/// installer takes (script::SectionCodePage), else the platform's. Reports empty
/// names, ids no system reports, names without a section (which are left
/// out), and a script with no language at all.
std::vector<LanguageSection> FindLanguages(const ScriptMap& script, Report& report, int forced);

}  // namespace cdsetup::check
