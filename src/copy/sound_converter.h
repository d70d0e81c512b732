// The seam between the copy engine and the audio converters: the engine hands
// over each compressed archive entry it wrote, by host path, and the converter
// writes the WAV file. Tests put a recording converter here.
#pragma once

#include <cstdint>
#include <string>

namespace cdsetup::copy {

class SoundConverter {
 public:
  virtual ~SoundConverter() = default;
  /// Converts the entry of `kind` (0 Ogg Vorbis, 1 Ogg Speex) at `input` into
  /// a WAV file at `output`. The result is not looked at: a damaged entry
  /// leaves whatever the converter produced and the copy goes on.
  virtual void Convert(std::uint32_t kind, const std::string& input, const std::string& output) = 0;
};

}  // namespace cdsetup::copy
