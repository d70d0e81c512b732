// Whether a Windows program carries an icon of its own: a group icon among
// the resources of its PE image. Links to such a program name it as their
// icon, so that the shell and the desktop's menu show the game's.
#pragma once

#include <string_view>

namespace cdsetup::platform {

/// True when `image` (a file's bytes) is a PE image whose resources hold a
/// group icon. Anything else, a damaged image included, is false.
bool HasProgramIcon(std::string_view image);

}  // namespace cdsetup::platform
