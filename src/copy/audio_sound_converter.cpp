#include "copy/audio_sound_converter.h"

#include "audio/audio_converter.h"
#include "copy/sound_archive_reader.h"

namespace cdsetup::copy {

void AudioSoundConverter::Convert(std::uint32_t kind, const std::string& input,
                                  const std::string& output) {
  audio::CAudioConverter converter(diagnostics_);
  if (kind == kKindVorbis) {
    (void)converter.VorbisToWav(input.c_str(), output.c_str());
  } else if (kind == kKindSpeex) {
    (void)converter.SpeexToWav(input.c_str(), output.c_str());
  }
}

}  // namespace cdsetup::copy
