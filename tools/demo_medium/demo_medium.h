// Builds the demo installation medium: an install script in two languages,
// licences, a background picture, three file lists, sound archives of Vorbis
// and Speex entries, shortcuts, extra programs and stand-ins for the DirectX
// installer and the shared uninstaller. Everything is made here.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "base/result.h"

namespace cdsetup::demo {

struct DemoOptions {
  /// Files in the "max" list beyond the standard ones.
  int extra_files = 300;
  /// Seconds of sound per archive entry.
  double seconds = 3.0;
};

/// A file by its path below the medium ("/" between folders) and its bytes.
using MediumFile = std::pair<std::string, std::string>;

/// Writes the medium into `dir` (created; existing files are replaced).
/// `more_max_files` go into the "max" list after its own files; a name
/// ending in ".snd" is a sound archive.
base::Status BuildDemoMedium(const std::string& dir, const DemoOptions& options = {},
                             const std::vector<MediumFile>& more_max_files = {});

}  // namespace cdsetup::demo
