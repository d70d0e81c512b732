// The seam between the copy engine and the audio converters: the engine hands
// over each compressed archive entry it wrote, by host path, and the converter
// writes the WAV file. Tests put a recording converter here.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "base/result.h"

namespace cdsetup::copy {

class SoundConverter {
 public:
  virtual ~SoundConverter() = default;
  /// Converts the entry of `kind` (0 Ogg Vorbis, 1 Ogg Speex) at `input` into
  /// a WAV file at `output`. A damaged entry is no failure: it leaves
  /// whatever the converter made of it, and the copy goes on. A WAV that
  /// could not be written whole (a full disk) is an IoError, with no output
  /// left behind; the copy ends there. Once `stop` is set the conversion may
  /// end early, Cancelled, with no output left behind.
  ///
  /// Conversions of different entries may run at once on several threads.
  virtual base::Status Convert(std::uint32_t kind, const std::string& input,
                               const std::string& output, const std::atomic<bool>& stop) = 0;

  /// What the conversion into `output` reported (the decoder's own lines),
  /// handed over once after Convert returned; empty from a converter that
  /// keeps no reports.
  virtual std::string TakeReport(const std::string& output) {
    (void)output;
    return std::string();
  }
};

}  // namespace cdsetup::copy
