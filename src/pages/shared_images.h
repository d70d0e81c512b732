// The list controls' icons and focus pattern: loaded once per process, by
// the first control that asks, into slots that are never released.
#pragma once

#include "framework/dc.h"
#include "resources/resource_ids.h"

namespace cdsetup::pages {

/// The image with resource id `id`; null when the program has none (the
/// rows of that kind are then drawn without it).
framework::ImagePtr SharedImage(int id);

inline constexpr int kFocusPattern = resources::IDB_FOCUS_PATTERN;
inline constexpr int kClosedFolderIcon = resources::IDI_CLOSED_FOLDER;
inline constexpr int kOpenFolderIcon = resources::IDI_OPEN_FOLDER;

}  // namespace cdsetup::pages
