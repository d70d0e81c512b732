// The few texts that are the installer's own rather than the script's, in
// the language of the chosen section (English where we have no words of
// its language), in that language's code page.
#pragma once

#include <cstdint>
#include <string>

namespace cdsetup::app {

/// The question before a copy that looks too large for its drive `root`:
/// the bytes it needs and those free, and whether to go on anyway.
std::string NotEnoughSpaceText(unsigned language_id, const std::string& root, std::uint64_t needed,
                               std::uint64_t free);

}  // namespace cdsetup::app
