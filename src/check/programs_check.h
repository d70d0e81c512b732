// The programs the closing steps start or place from the CD: the extra
// programs a language offers, its DirectX installer, and the shared
// uninstaller. A missing one fails without a word to the player.
#pragma once

#include "check/medium.h"

namespace cdsetup::check {

/// The extra programs (OTHERFILES with Message%d and Exe%d, relative to the
/// CD's root) and the DirectX installer (IDS_DXINSTALL_PATH, whose drive
/// letter becomes the CD's) of `language`: each must be a file of the medium.
void CheckPrograms(const Medium& medium, const LanguageSection& language);

/// Kestrune.exe, the shared uninstaller, beside the installer.
void CheckSharedUninstaller(const Medium& medium);

}  // namespace cdsetup::check
