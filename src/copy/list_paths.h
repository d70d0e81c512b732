// How long the paths an install type's list makes below the target get: each
// plain file's own, and for a sound archive its folder and the longest name
// inside it (a WAV is as long as its entry). The target is refused before
// the copy when the longest would not fit a path, instead of the copy
// stopping midway with files already written.
#pragma once

#include <cstddef>
#include <string>

#include "script/localized_texts.h"

namespace cdsetup::copy {

/// The longest path below the target (without the target and its "\\") that
/// the list of `install_type` makes, and which entry makes it. An archive
/// that cannot be read counts with its folder only: the copy reports it.
struct LongestPath {
  std::size_t length = 0;
  std::string entry;
};
LongestPath LongestListPath(const script::LocalizedTexts& texts, const std::string& install_type);

}  // namespace cdsetup::copy
