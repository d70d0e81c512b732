// Settles which language section the installer uses: the system language's
// mapping in the script's Language section, else the user's choice among the
// languages the script lists.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "script/install_script.h"

namespace cdsetup::script {

/// Asks the user to pick or type a language among `names`; nullopt when the
/// user cancels. (The installer shows its language page here.)
using LanguageChooser =
    std::function<std::optional<std::string>(const std::vector<std::string>& names)>;

/// The names listed under Language: "Nr" and "0" .. "Nr-1".
std::vector<std::string> ListedLanguages(const InstallScript& script);

/// The section mapped to the system language id, or, when that key is missing
/// or empty, what `choose` returns for the listed names. nullopt means the
/// user cancelled and the installer ends. No check is made that the section
/// exists.
std::optional<std::string> ResolveLanguage(const InstallScript& script,
                                           const LanguageChooser& choose);

}  // namespace cdsetup::script
