#include "copy/audio_sound_converter.h"

#include "audio/audio_converter.h"
#include "copy/sound_archive_reader.h"

namespace cdsetup::copy {

base::Status AudioSoundConverter::Convert(std::uint32_t kind, const std::string& input,
                                          const std::string& output,
                                          const std::atomic<bool>& stop) {
  audio::CAudioConverter converter(diagnostics_, stop);
  audio::ConversionResult result = audio::ConversionResult::kNotSound;
  if (kind == kKindVorbis) {
    result = converter.VorbisToWav(input.c_str(), output.c_str());
  } else if (kind == kKindSpeex) {
    result = converter.SpeexToWav(input.c_str(), output.c_str());
  }
  if (result == audio::ConversionResult::kWriteFailed) {
    return base::Status::IoError("cannot write " + output + " (is the disk full?)");
  }
  if (result == audio::ConversionResult::kStopped) {
    return base::Status::Cancelled("the conversion of " + input + " was stopped");
  }
  return base::Status::Ok();
}

}  // namespace cdsetup::copy
