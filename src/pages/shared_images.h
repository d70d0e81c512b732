// The list controls' icons and focus pattern: loaded once per process, by
// the first control that asks, into slots that are never released.
#pragma once

#include "framework/dc.h"

namespace cdsetup::pages {

/// The image with resource id `id`; null when the program has none (the
/// rows of that kind are then drawn without it).
framework::ImagePtr SharedImage(int id);

inline constexpr int kFocusPattern = 141;
inline constexpr int kClosedFolderIcon = 158;
inline constexpr int kOpenFolderIcon = 160;

}  // namespace cdsetup::pages
