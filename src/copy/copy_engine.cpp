#include "copy/copy_engine.h"

#include <algorithm>
#include <cstdio>
#include <random>

#include "base/ascii.h"
#include "base/limits.h"
#include "platform/create_directory_path.h"

namespace cdsetup::copy {

using base::Status;

namespace {

// "%s %s" into a 260-byte buffer: what does not fit is cut.
std::string JoinCut(std::string_view a, std::string_view b) {
  std::string s;
  s.reserve(a.size() + 1 + b.size());
  s.append(a).append(" ").append(b);
  if (s.size() > base::kMaxText) s.resize(base::kMaxText);
  return s;
}

}  // namespace

// Every folder and the name are held to the rule of archive entry names, so
// nothing is read or written outside those folders.
Status CheckListEntry(std::string_view source) {
  if (source.empty()) return CheckEntryName(source);
  if (source.front() == '\\' || source.front() == '/') {
    return Status::Refused("a list entry from the root: " + std::string(source));
  }
  for (std::size_t start = 0; start < source.size();) {
    const std::size_t end = std::min(source.find_first_of("\\/", start), source.size());
    if (end > start) {  // a doubled separator counts once, as on Windows
      if (Status part = CheckEntryName(source.substr(start, end - start)); !part.ok()) {
        return part.WithContext("list entry " + std::string(source));
      }
    }
    start = end + 1;
  }
  return Status::Ok();
}

namespace {

void ReplaceAll(std::string& s, std::string_view from, std::string_view to) {
  for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) {
    s.replace(at, from.size(), to);
  }
}

// Eight hex digits of its own in every temporary name, so that two
// installers writing one folder do not meet.
std::string RandomTag() {
  std::random_device device;
  char tag[9];
  std::snprintf(tag, sizeof tag, "%08x", static_cast<unsigned>(device()));
  return tag;
}

// How long a step waits for the conversions before it gives the page back.
constexpr int kConversionWaitMs = 10;

// A path that does not fit its buffer is refused: cut, it would name another file.
base::Status CheckPathLength(const std::string& path) {
  // The mark of a path's text names is no character of it.
  if (platform::PathLength(path) > base::kMaxText) {
    return base::Status::Refused("path too long: " + platform::WithoutTextMark(path));
  }
  return base::Status::Ok();
}

}  // namespace

CopyEngine::CopyEngine(script::LocalizedTexts texts, const std::string& target_dir,
                       SoundConverter& converter, int conversion_workers)
    : texts_(std::move(texts)),
      script_(texts_.script()),
      platform_(texts_.platform()),
      target_dir_(target_dir),
      temp_tag_(RandomTag()),
      converter_(converter),
      // Each worker busy, and the next entry written and waiting for one.
      conversions_(converter, conversion_workers, conversion_workers + 1) {}

CopyEngine::~CopyEngine() {
  Close();
}

void CopyEngine::Start() {
  file_count_ = script_.ReadNumber(install_type_, "files");
  range_ = std::clamp(file_count_, 0, 0xFFFF);
  // The two texts of every step, read once: a copy of thousands of files
  // would otherwise read the script twice more per file.
  copying_text_ = texts_.Get("IDS_KOPIUJE_TERAZ_PLIK");
  write_error_text_ = texts_.Get("IDS_E_WRITEOFILE");
  position_ = 0;
  target_folder_.reset();
  target_folder_path_.clear();
  base::IgnoreResult(CheckTargetFolder(), "the first step looks again");
}

base::Status CopyEngine::CheckTargetFolder() {
  base::Result<platform::FileInfo> now = platform_.GetFileInfo(target_dir_);
  if (target_folder_path_ != target_dir_) {
    target_folder_.reset();  // the target was chosen anew before the copy began
    target_folder_path_ = target_dir_;
  }
  if (!target_folder_) {
    // Not made yet: the first file's folders make it.
    if (now.ok() && now->is_directory) target_folder_ = *now;
    return Status::Ok();
  }
  if (!now.ok() || !now->is_directory || !now->SameObject(*target_folder_)) {
    return Status::IoError("the target folder " + target_dir_ +
                           " was removed or replaced during the copy");
  }
  return Status::Ok();
}

void CopyEngine::Close() {
  conversions_.Stop();
  while (!conversions_.empty()) {
    // Stopped or not yet renamed: the old WAV stays, the new one goes.
    for (const auto& done : conversions_.TakeFinished(-1)) {
      NoteReport(done.job);
      base::IgnoreResult(platform_.DeleteFileA(done.job.temp_path), "gone with the copy");
      base::IgnoreResult(platform_.DeleteFileA(done.job.temp_output), "the converter may have");
    }
  }
  CloseArchive();
}

void CopyEngine::CloseArchive() {
  reader_.reset();
  archive_.reset();
}

StepResult CopyEngine::Collect(int wait_ms) {
  StepResult result = StepResult::kGoOn;
  for (const auto& done : conversions_.TakeFinished(wait_ms)) {
    base::IgnoreResult(platform_.DeleteFileA(done.job.temp_path), "converted, or failed");
    NoteReport(done.job);
    // In the order the entries were given: of two entries that make the
    // same WAV, the later one's replaces the earlier one's.
    base::Status status = done.status;
    if (status.ok() && result == StepResult::kGoOn) {
      status = platform_.MoveFileExA(done.job.temp_output, done.job.final_output);
      // A stream of no kind the converter knows makes no WAV, and no failure.
      if (status.IsNotFound()) status = base::Status::Ok();
    }
    if (!status.ok() || result != StepResult::kGoOn) {
      base::IgnoreResult(platform_.DeleteFileA(done.job.temp_output), "the WAV was not kept");
    }
    if (!status.ok() && result == StepResult::kGoOn) {
      error_text_ = done.job.error_text;
      result = Fail(status);
    }
  }
  if (result == StepResult::kFailed) Close();
  return result;
}

void CopyEngine::NoteReport(const ConversionQueue::Job& job) {
  const std::string report = converter_.TakeReport(job.output);
  const std::size_t slash = job.final_output.rfind('\\');
  const std::string sound = job.final_output.substr(slash == std::string::npos ? 0 : slash + 1);
  for (std::size_t start = 0; start < report.size();) {
    std::size_t end = report.find('\n', start);
    if (end == std::string::npos) end = report.size();
    std::string_view line = std::string_view(report).substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty()) notes_.push_back(sound + ": " + std::string(line));
    start = end + 1;
  }
}

std::string CopyEngine::TempName(const std::string& dir, std::string_view suffix) {
  return dir + std::string(kTempPrefix) + temp_tag_ + "." + std::to_string(++temp_count_) +
         std::string(suffix);
}

base::Status CopyEngine::CopyOver(const std::string& source, const std::string& target) {
  // The platform writes a file that is there beside it and renames it over.
  base::Status copied = platform_.CopyFileA(source, target, false);
  base::IgnoreResult(platform_.SetFileAttributesArchive(target), "the copy's result tells");
  return copied;
}

StepResult CopyEngine::Fail(base::Status why) {
  failure_ = std::move(why);
  return StepResult::kFailed;
}

StepResult CopyEngine::Step() {
  if (Collect(0) == StepResult::kFailed) return StepResult::kFailed;
  return archive_ ? StepArchive() : StepList();
}

StepResult CopyEngine::StepList() {
  if (next_index_ >= file_count_) {
    // The copy is done when the last conversion is.
    if (conversions_.empty()) return StepResult::kFinished;
    if (Collect(kConversionWaitMs) == StepResult::kFailed) return StepResult::kFailed;
    return conversions_.empty() ? StepResult::kFinished : StepResult::kWaiting;
  }
  const std::string source = script_.ReadText(install_type_, script::FamilyKey("%d", next_index_));
  current_file_ = JoinCut(copying_text_, source);
  file_named_ = true;
  error_text_ = JoinCut(write_error_text_, source);
  if (base::Status safe = CheckListEntry(source); !safe.ok()) {
    ++next_index_;
    position_ = next_index_;
    return Fail(safe);
  }

  if (base::Status there = CheckTargetFolder(); !there.ok()) {
    ++next_index_;
    position_ = next_index_;
    return Fail(there);
  }
  const std::string target_dir = target_dir_;
  if (std::size_t slash = source.rfind('\\'); slash != std::string::npos) {
    // A level that cannot be made shows up as the failed copy into it. Most
    // files go into a folder an earlier step made: one look at it replaces a
    // call per level, each of which would find its level there already.
    const std::string dir = platform::TextNamedPath(target_dir, source.substr(0, slash));
    auto info = platform_.GetFileInfo(dir);
    if (!info.ok() || !info->is_directory) {
      base::IgnoreResult(platform::CreateDirectoryPath(platform_, dir),
                         "the copy into it names the failure");
    }
  }
  // The list's names are texts: written as they read, whatever the system.
  const std::string target_path = platform::TextNamedPath(target_dir, source);

  // Only A to Z: the name is found on the medium without regard to case anyway.
  const std::string lower = base::ToLowerAscii(source);
  if (lower.find(".snd") != std::string::npos) {
    archive_path_ = lower;
    auto opened = platform_.OpenFile(lower, "rb");
    if (!opened.ok()) return Fail(opened.status().WithContext("open the sound archive"));
    auto size = SoundArchiveReader::MeasureSize(opened.value().get());
    if (!size.ok()) return Fail(size.status().WithContext(lower));
    archive_ = std::move(opened).value();
    reader_.emplace(archive_.get(), size.value());
    return StepResult::kGoOn;
  }

  base::Status copied = CheckPathLength(target_path);
  if (copied.ok()) copied = CopyOver(lower, target_path);
  ++next_index_;
  position_ = next_index_;
  if (!copied.ok()) return Fail(copied);
  return StepResult::kGoOn;
}

StepResult CopyEngine::StepArchive() {
  if (!reader_->AtEnd()) {
    if (conversions_.full()) {
      if (Collect(kConversionWaitMs) == StepResult::kFailed) return StepResult::kFailed;
      if (conversions_.full()) return StepResult::kWaiting;
    }
    return UnpackArchiveEntry();
  }
  CloseArchive();
  ++next_index_;
  return StepResult::kGoOn;
}

StepResult CopyEngine::UnpackArchiveEntry() {
  const std::size_t slash = archive_path_.rfind('\\');
  const std::string archive_dir =
      slash == std::string::npos ? std::string() : archive_path_.substr(0, slash + 1);

  auto read = reader_->ReadHeader();
  if (!read.ok()) return Fail(read.status().WithContext(archive_path_));
  const ArchiveEntry& entry = read.value();
  if (base::Status safe = CheckEntryName(entry.name); !safe.ok()) {
    return Fail(safe.WithContext(archive_path_));
  }
  if (base::Status there = CheckTargetFolder(); !there.ok()) return Fail(there);
  const std::string entry_dir = platform::TextNamedPath(target_dir_, archive_dir);
  // The entry is written under a name of the installer's own, so that it
  // truncates nothing the install wrote or another entry is being read from.
  const std::string temp_path = TempName(entry_dir, ".snd-entry");
  if (base::Status fits = CheckPathLength(entry_dir + entry.name); !fits.ok()) return Fail(fits);
  if (base::Status fits = CheckPathLength(temp_path); !fits.ok()) return Fail(fits);

  const std::string lower_name = platform_.CharLowerA(entry.name);
  std::string display = lower_name;
  ReplaceAll(display, ".ogg", ".wav");
  ReplaceAll(display, ".spx", ".wav");
  current_file_ = JoinCut(copying_text_, display);
  file_named_ = true;
  position_ = random_.Next() % file_count_;

  if (entry.kind != kKindVorbis && entry.kind != kKindSpeex) {
    // Nothing would convert it; it would only be written and deleted again.
    if (base::Status skipped = reader_->SkipData(); !skipped.ok()) {
      return Fail(skipped.WithContext(archive_path_));
    }
    return StepResult::kGoOn;
  }

  // Only the entry's own name changes its extension: a directory called
  // "x.ogg" must stay the directory it is.
  std::string output_name = lower_name;
  ReplaceAll(output_name, entry.kind == kKindVorbis ? ".ogg" : ".spx", ".wav");
  if (output_name == lower_name) {
    return Fail(
        base::Status::Refused("entry " + entry.name + " in " + archive_path_ +
                              " lacks the extension of its kind and would be converted onto "
                              "itself"));
  }
  const std::string output_path = platform_.CharLowerA(entry_dir) + output_name;
  // Converted beside it and renamed over it when whole: an abort or a failure
  // leaves the WAV that was there. The name ends in the WAV's own (".wav"
  // tells the Speex converter to write the header), or in ".wav" alone where
  // the whole would not fit a path.
  std::string temp_output = TempName(entry_dir, "." + output_name);
  if (platform::PathLength(temp_output) > base::kMaxText) temp_output = TempName(entry_dir, ".wav");
  if (base::Status fits = CheckPathLength(temp_output); !fits.ok()) return Fail(fits);

  auto opened = platform_.OpenFile(temp_path, "wb");
  if (!opened.ok()) return Fail(opened.status().WithContext("create " + temp_path));
  base::Status written = reader_->CopyData(opened.value().get());
  std::FILE* temp = opened.value().release();
  if (std::fclose(temp) != 0 && written.ok()) {
    written = base::Status::IoError("write failed (is the disk full?)");
  }
  if (!written.ok()) {
    (void)platform_.DeleteFileA(temp_path);
    return Fail(written.WithContext(temp_path));
  }

  auto input_host = platform_.HostPath(temp_path);
  auto output_host = platform_.HostPath(temp_output);
  if (!input_host.ok() || !output_host.ok()) {
    (void)platform_.DeleteFileA(temp_path);
    return Fail(!input_host.ok() ? input_host.status() : output_host.status());
  }
  ConversionQueue::Job job;
  job.kind = entry.kind;
  job.input = std::move(input_host).value();
  job.output = std::move(output_host).value();
  job.temp_path = temp_path;
  job.temp_output = temp_output;
  job.final_output = output_path;
  // The error names the sound that would be missing, not its archive.
  job.error_text = JoinCut(write_error_text_, archive_dir + output_name);
  conversions_.Submit(std::move(job));
  return Collect(0);
}

}  // namespace cdsetup::copy
