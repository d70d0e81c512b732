// Writes sound archives: each entry is its kind, data length and name length
// (32-bit little-endian), the name, then the data. Used by the sndpack tool,
// the demo medium builder and the tests.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "base/result.h"

namespace cdsetup::sndpack {

/// The kind an entry gets from its file name: ".ogg" 0, ".spx" 1, else 2
/// (the extension compared without regard to case).
std::uint32_t KindForName(std::string_view name);

/// Appends one entry whose data is `data`. Refused for a name longer than 259
/// characters or data of 4 GiB or more; IoError when writing fails.
base::Status AppendEntry(std::FILE* archive, std::uint32_t kind, std::string_view name,
                         std::string_view data);

/// Appends one entry whose data is the whole file `path`, streamed.
base::Status AppendFile(std::FILE* archive, std::uint32_t kind, std::string_view name,
                        const std::string& path);

/// The bytes of one entry, for tests that build archives in memory.
std::string EntryBytes(std::uint32_t kind, std::string_view name, std::string_view data);

/// The 12 header bytes with any lengths, to craft damaged archives.
std::string RawHeader(std::uint32_t kind, std::uint32_t data_length, std::uint32_t name_length);

}  // namespace cdsetup::sndpack
