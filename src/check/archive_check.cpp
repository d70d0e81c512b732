#include "check/archive_check.h"

#include <set>

#include "check/target_paths.h"
#include "copy/sound_archive_reader.h"

namespace cdsetup::check {

namespace {

constexpr const char* kStops = ": the copy would stop there";

std::string Replaced(std::string s, std::string_view from, std::string_view to) {
  for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) {
    s.replace(at, from.size(), to);
  }
  return s;
}

}  // namespace

ArchiveSummary CheckArchive(const Medium& medium, const SoundProbe& probe, std::size_t line,
                            const std::string& what, const std::string& source) {
  ArchiveSummary summary;
  Report& report = medium.report;
  platform::Platform& platform = medium.platform();
  auto opened = platform.OpenFile(source, "rb");
  if (!opened.ok()) {
    report.Add(line, what + ": cannot be opened: " + opened.status().message() + kStops);
    return summary;
  }
  auto size = copy::SoundArchiveReader::MeasureSize(opened.value().get());
  if (!size.ok()) {
    report.Add(line, what + ": " + size.status().message() + kStops);
    return summary;
  }
  copy::SoundArchiveReader reader(opened.value().get(), size.value());
  const std::size_t slash = source.rfind('\\');
  const std::string folder = slash == std::string::npos ? "" : source.substr(0, slash + 1);
  std::set<std::string> wavs;

  for (int index = 0; !reader.AtEnd(); ++index) {
    const std::uint64_t at = reader.consumed();
    auto header = reader.ReadHeader();
    if (!header.ok()) {
      report.Add(line, what + ": entry " + std::to_string(index) + " at byte " +
                           std::to_string(at) + ": " + header.status().message() + kStops);
      break;
    }
    const copy::ArchiveEntry& entry = header.value();
    const std::string entry_what = what + ": entry " + std::to_string(index) + " " + entry.name;
    // The copy's own order: the name, its path, the kind, the extension.
    if (base::Status name = copy::CheckEntryName(entry.name); !name.ok()) {
      report.Add(line, what + ": entry " + std::to_string(index) + ": " + name.message() + kStops);
      if (!reader.SkipData().ok()) break;
      continue;
    }
    CheckTargetPath(medium, line, entry_what, folder + entry.name);
    const bool vorbis = entry.kind == copy::kKindVorbis;
    if (!vorbis && entry.kind != copy::kKindSpeex) {
      report.Add(line, entry_what + ": kind " + std::to_string(entry.kind) +
                           " is neither Ogg Vorbis (0) nor Ogg Speex (1): the copy skips it");
      if (!reader.SkipData().ok()) break;
      continue;
    }
    const std::string kind = vorbis ? " (Ogg Vorbis)" : " (Ogg Speex)";
    const std::string extension = vorbis ? ".ogg" : ".spx";
    const std::string lower = platform.CharLowerA(entry.name);
    if (lower.find(extension) == std::string::npos) {
      report.Add(line, entry_what + kind + ": the name lacks " + extension + kStops);
      if (!reader.SkipData().ok()) break;
      continue;
    }
    const std::string wav = Replaced(lower, extension, ".wav");
    if (!wavs.insert(wav).second) {
      report.Add(line, entry_what + ": becomes " + wav + ", as an entry before it does: it " +
                           "replaces that sound");
    }

    auto input = probe.OpenInput();
    base::Status copied = input.ok() ? reader.CopyData(input.value().get()) : input.status();
    if (input.ok() && std::fclose(input.value().release()) != 0 && copied.ok()) {
      copied = base::Status::IoError("the scratch copy could not be written");
    }
    if (!copied.ok()) {
      report.Add(line, entry_what + ": " + copied.message());
      break;
    }
    const SoundCheck sound = probe.Convert(entry.kind);
    if (!sound.clean) report.Add(line, entry_what + kind + ": " + sound.problem);
    summary.sounds.push_back({platform.CharLowerA(folder) + wav, sound.wav_bytes});
    summary.wav_bytes += sound.wav_bytes;
  }
  return summary;
}

}  // namespace cdsetup::check
