// Builds the demo installation medium: an install script in two languages,
// licences, a background picture, three file lists, sound archives of Vorbis
// and Speex entries, shortcuts, extra programs and stand-ins for the DirectX
// installer and the shared uninstaller. Everything is made here.
#pragma once

#include <string>

#include "base/result.h"

namespace cdsetup::demo {

struct DemoOptions {
  /// Files in the "max" list beyond the standard ones.
  int extra_files = 300;
  /// Seconds of sound per archive entry.
  double seconds = 3.0;
};

/// Writes the medium into `dir` (created; existing files are replaced).
base::Status BuildDemoMedium(const std::string& dir, const DemoOptions& options = {});

}  // namespace cdsetup::demo
