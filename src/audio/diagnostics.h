// Where the converters write their diagnostic lines. They are never shown in
// the installer's windows; a console interface points them away from its
// screen, and tests capture them.
#pragma once

#include <cstdio>

namespace cdsetup::audio {

/// The two streams a conversion reports to. Neither is owned or closed.
struct AudioDiagnostics {
  std::FILE* err = stderr;  // every diagnostic message
  std::FILE* out = stdout;  // the Vorbis converter's input path only
};

}  // namespace cdsetup::audio
