#include "copy/audio_sound_converter.h"

#include <cstdio>

#include "audio/audio_converter.h"
#include "copy/sound_archive_reader.h"

namespace cdsetup::copy {

base::Status AudioSoundConverter::Convert(std::uint32_t kind, const std::string& input,
                                          const std::string& output,
                                          const std::atomic<bool>& stop) {
  if (!keep_reports_) return ConvertWith(diagnostics_, kind, input, output, stop);
  const std::string report_path = output + ".report";
  std::FILE* report = std::fopen(report_path.c_str(), "w+b");
  if (report == nullptr) return ConvertWith(diagnostics_, kind, input, output, stop);
  base::Status converted = ConvertWith({report, report}, kind, input, output, stop);
  std::string text;
  std::rewind(report);
  char piece[4096];
  for (std::size_t n; (n = std::fread(piece, 1, sizeof piece, report)) > 0;) text.append(piece, n);
  std::fclose(report);
  std::remove(report_path.c_str());
  if (!text.empty()) {
    const std::lock_guard<std::mutex> lock(reports_mutex_);
    reports_[output] = std::move(text);
  }
  return converted;
}

std::string AudioSoundConverter::TakeReport(const std::string& output) {
  const std::lock_guard<std::mutex> lock(reports_mutex_);
  auto found = reports_.find(output);
  if (found == reports_.end()) return std::string();
  std::string text = std::move(found->second);
  reports_.erase(found);
  return text;
}

base::Status AudioSoundConverter::ConvertWith(audio::AudioDiagnostics diagnostics,
                                              std::uint32_t kind, const std::string& input,
                                              const std::string& output,
                                              const std::atomic<bool>& stop) {
  audio::CAudioConverter converter(diagnostics, stop);
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
