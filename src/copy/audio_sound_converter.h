// The converter the installer hands its archive entries to: Ogg Vorbis and
// Ogg Speex entries go through a fresh CAudioConverter each.
#pragma once

#include <map>
#include <mutex>
#include <string>

#include "audio/diagnostics.h"
#include "copy/sound_converter.h"

namespace cdsetup::copy {

class AudioSoundConverter : public SoundConverter {
 public:
  /// Whether each conversion's diagnostics are kept for TakeReport, so that
  /// they reach the log with the sound they speak of rather than mixed into
  /// the lines of the steps that run beside it. They are held in a file
  /// beside the output while it converts; where that cannot be made, they
  /// go to the diagnostics streams.
  enum class Reports { kNotKept, kKept };

  /// Diagnostics of every conversion go to `diagnostics`, or are kept.
  explicit AudioSoundConverter(audio::AudioDiagnostics diagnostics = {},
                               Reports reports = Reports::kNotKept)
      : diagnostics_(diagnostics), keep_reports_(reports == Reports::kKept) {}

  /// Kind 0 through VorbisToWav, kind 1 through SpeexToWav; any other kind is
  /// left alone. Only a failed write of the output, and a stop, are passed
  /// on.
  base::Status Convert(std::uint32_t kind, const std::string& input, const std::string& output,
                       const std::atomic<bool>& stop) override;
  std::string TakeReport(const std::string& output) override;

 private:
  base::Status ConvertWith(audio::AudioDiagnostics diagnostics, std::uint32_t kind,
                           const std::string& input, const std::string& output,
                           const std::atomic<bool>& stop);

  audio::AudioDiagnostics diagnostics_;
  const bool keep_reports_;
  std::mutex reports_mutex_;
  std::map<std::string, std::string> reports_;  // by output, until taken
};

}  // namespace cdsetup::copy
