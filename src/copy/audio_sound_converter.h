// The converter the installer hands its archive entries to: Ogg Vorbis and
// Ogg Speex entries go through a fresh CAudioConverter each.
#pragma once

#include "audio/diagnostics.h"
#include "copy/sound_converter.h"

namespace cdsetup::copy {

class AudioSoundConverter : public SoundConverter {
 public:
  /// Diagnostics of every conversion go to `diagnostics`.
  explicit AudioSoundConverter(audio::AudioDiagnostics diagnostics = {})
      : diagnostics_(diagnostics) {}

  /// Kind 0 through VorbisToWav, kind 1 through SpeexToWav; any other kind is
  /// left alone. Only a failed write of the output, and a stop, are passed
  /// on.
  base::Status Convert(std::uint32_t kind, const std::string& input, const std::string& output,
                       const std::atomic<bool>& stop) override;

 private:
  audio::AudioDiagnostics diagnostics_;
};

}  // namespace cdsetup::copy
