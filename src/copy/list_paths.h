// What an install type's list will make below the target, found before the
// copy so that a target that cannot hold it is refused or questioned
// instead of the copy stopping midway with files already written: the
// longest path (each plain file's own; for a sound archive its folder and
// the longest name inside it, a WAV being as long as its entry), and the
// bytes it will add (plain files, and the WAV files their entries become).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "script/localized_texts.h"

namespace cdsetup::copy {

struct ListMeasure {
  /// The longest path below the target (without the target and its "\\"),
  /// and which entry makes it.
  std::size_t longest = 0;
  std::string longest_entry;
  /// The bytes the copy adds to the target's drive: what it writes, less
  /// the files of the same names there now, which it replaces.
  std::uint64_t bytes = 0;
};

/// Measures the list of `install_type` for the target folder `target_dir`.
/// An archive that cannot be read counts with its folder and the entries
/// read before the damage: the copy reports it.
ListMeasure MeasureList(const script::LocalizedTexts& texts, const std::string& install_type,
                        const std::string& target_dir);

}  // namespace cdsetup::copy
