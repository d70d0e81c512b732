// One sound archive of a file list, read as the copy reads it: entry by entry
// with the installer's reader and its name rules, each Ogg Vorbis and Ogg
// Speex entry converted with the installer's converters, to learn whether it
// decodes cleanly and how large its WAV file will be.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "check/medium.h"
#include "check/sound_probe.h"

namespace cdsetup::check {

struct Sound {
  std::string path;  // the WAV below the target, as the copy names it
  std::uint64_t bytes = 0;
};

struct ArchiveSummary {
  std::vector<Sound> sounds;
  std::uint64_t wav_bytes = 0;
};

/// Reads the archive `source` (a list entry's name, lower-cased as the copy
/// opens it) and reports on `line`, naming it `what`: an archive that cannot
/// be opened or read to its end, entries whose name or path the copy refuses,
/// whose kind it skips or whose name lacks the extension of its kind, two
/// entries that become one WAV, and every entry that does not decode cleanly.
ArchiveSummary CheckArchive(const Medium& medium, const SoundProbe& probe, std::size_t line,
                            const std::string& what, const std::string& source);

}  // namespace cdsetup::check
