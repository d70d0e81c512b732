// What the installer points at after the copy: the Start-menu shortcuts of a
// language and the product's uninstaller. Each must be a file that an
// install type the player can choose leaves in the target, and the link
// files and their folder must have names a file system allows.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "check/medium.h"

namespace cdsetup::check {

/// What each install type the player can choose leaves below the target, in
/// InstalledName form.
using Installable = std::vector<const std::set<std::string>*>;

/// The shortcut table (Shortcuts with Description%d and File%d, at most 10)
/// and the Start-menu folder of `language`.
void CheckShortcuts(const Medium& medium, const LanguageSection& language,
                    const Installable& installable);

/// DEINSTALLEXE_NAME of [Option], which the uninstall entry names.
void CheckUninstaller(const Medium& medium, const Installable& installable);

}  // namespace cdsetup::check
