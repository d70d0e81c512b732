// Reads a small file of the Windows view whole, as the pages and the main
// dialog take their licence text and background picture.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace cdsetup::platform {

/// The bytes of `path`; empty when it cannot be opened or positioned, or is
/// larger than `max_size`. A read that stops early gives what was read.
std::string ReadWholeFile(Platform& platform, const std::string& path, std::uint64_t max_size);

}  // namespace cdsetup::platform
