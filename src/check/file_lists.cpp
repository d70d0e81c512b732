#include "check/file_lists.h"

#include "base/ascii.h"
#include "base/limits.h"
#include "check/count_check.h"
#include "check/target_paths.h"
#include "copy/copy_engine.h"

namespace cdsetup::check {

namespace {

constexpr const char* kStops = ": the copy would stop there";

}  // namespace

std::string InstalledName(platform::Platform& platform, std::string_view path) {
  std::string out = platform.CharLowerA(path);
  for (char& c : out) {
    if (c == '/') c = '\\';
  }
  return out;
}

InstallTypeSummary CheckInstallType(const Medium& medium, const SoundProbe& probe,
                                    std::string_view type, ArchiveCache& archives) {
  InstallTypeSummary summary;
  const ScriptMap& script = medium.script;
  Report& report = medium.report;
  platform::Platform& platform = medium.platform();
  const int count =
      CheckCount(script, report, {type, "files", {"%d"}, "the copy would stop there"});
  for (int n = 0; n < count; ++n) {
    const std::string key = script::FamilyKey("%d", n);
    if (!script.Has(type, key)) continue;  // reported with the count
    const std::size_t line = script.Line(type, key);
    const std::string source = script.Text(type, key);
    const std::string what = KeyName(type, key, source);
    if (script.WholeText(type, key).size() > base::kMaxText) {
      report.Add(line, what + "...: longer than the " + std::to_string(base::kMaxText) +
                           " characters a value holds: the name is cut" + kStops);
      continue;
    }
    if (source.empty()) {
      report.Add(line, KeyName(type, key) + " is empty: it names no file" + kStops);
      continue;
    }
    if (base::Status safe = copy::CheckListEntry(source); !safe.ok()) {
      report.Add(line, what + ": " + safe.message() + kStops);
      continue;
    }
    // The copy opens the name lower-cased; the medium is matched without case.
    const std::string lower = base::ToLowerAscii(source);
    auto info = platform.GetFileInfo(lower);
    if (!info.ok()) {
      report.Add(line, what + ": no such file on the medium" + kStops);
      continue;
    }
    if (info->is_directory) {
      report.Add(line, what + ": a folder, not a file" + kStops);
      continue;
    }
    if (lower.find(".snd") == std::string::npos) {
      // Opened as the copy opens it: a pipe, a device or a link off the
      // medium is refused there.
      if (auto opened = platform.OpenFile(lower, "rb"); !opened.ok()) {
        report.Add(line, what + ": " + opened.status().message() + kStops);
        continue;
      }
      CheckTargetPath(medium, line, what, source);
      summary.installed.insert(InstalledName(platform, source));
      ++summary.files;
      summary.file_bytes += info->size;
      continue;
    }
    auto cached = archives.find(lower);
    if (cached == archives.end()) {
      cached = archives.emplace(lower, CheckArchive(medium, probe, line, what, lower)).first;
    }
    for (const Sound& sound : cached->second.sounds) {
      summary.installed.insert(InstalledName(platform, sound.path));
    }
    summary.sounds += static_cast<int>(cached->second.sounds.size());
    summary.wav_bytes += cached->second.wav_bytes;
  }
  return summary;
}

}  // namespace cdsetup::check
