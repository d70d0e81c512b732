// Lays an icon file (.ico) out from pictures held in memory: what the
// Windows build puts in its resources as the program's icon.
#pragma once

#include <string>
#include <vector>

#include "resources/image.h"

namespace cdsetup::iconkit {

/// An icon file holding each of `images` (square, 1 to 256 pixels a side) as
/// a 32-bit image with its alpha channel and an AND mask of its transparent
/// pixels, as Windows has drawn icons since XP. Empty for an empty list or
/// an image that breaks those bounds.
std::string WriteIco(const std::vector<resources::Image>& images);

}  // namespace cdsetup::iconkit
