// The code page a language section's texts are written in. A script holds
// each language in the code page of that language (a Polish section is 1250
// whatever the system's), so the texts are read in it, not in the system's.
#pragma once

#include <string_view>

#include "script/install_script.h"

namespace cdsetup::script {

/// Whether `key` is a language id as [Language] maps them: four hexadecimal
/// digits ("0415").
bool IsLanguageIdKey(std::string_view key);

/// The language id a section's name names ("Polski" and "Polish" give
/// 0x0415), in English or in the language itself; 0 for a name it does not
/// know.
unsigned LanguageIdOfName(std::string_view name);

/// The language `section` is in: the first language id of [Language] that
/// maps to it and that Windows knows, else the one its name names, else 0.
unsigned SectionLanguageId(const InstallScript& script, std::string_view section);

/// The code page of the texts of `section`: the one Windows gives the first
/// language id of [Language] that maps to it, else the one of the language
/// its name names, else 0 (none is known: the platform's own applies).
int SectionCodePage(const InstallScript& script, std::string_view section);

}  // namespace cdsetup::script
