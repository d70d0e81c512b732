// The copy that the copy progress page runs: the files of one install type,
// one step at a time, with sound archives unpacked and their entries turned
// into WAV files. Window-free: the page calls Step() on each timer message and
// shows current_file_text() and the progress; tests and benchmarks loop.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/result.h"
#include "copy/conversion_queue.h"
#include "copy/runtime_random.h"
#include "copy/sound_archive_reader.h"
#include "copy/sound_converter.h"
#include "platform/platform.h"
#include "script/install_script.h"
#include "script/localized_texts.h"

namespace cdsetup::copy {

enum class StepResult {
  kGoOn = 0,      // call Step() again
  kFinished = 1,  // every list entry was processed
  kFailed = 2,    // a copy failed; error_text() names the file
  kWaiting = 3,   // no step was made: conversions are busy; call Step() again
};

/// Ok for a list entry that names a file below the medium's root, to be
/// copied to the same place below the target: Refused for one that starts
/// at a root, or has a folder or name that CheckEntryName refuses (a drive,
/// "..", a control character). An empty entry is refused as an empty name.
base::Status CheckListEntry(std::string_view source);

class CopyEngine {
 public:
  /// The file lists and texts come from `texts`. `target_dir` is read afresh
  /// at every step, so it must outlive the engine; so must `converter`. The
  /// install type is "std" until SetInstallType. With `conversion_workers`
  /// threads, entries convert beside the next steps; with none, each entry
  /// converts within its own step.
  CopyEngine(script::LocalizedTexts texts, const std::string& target_dir, SoundConverter& converter,
             int conversion_workers = 0);
  ~CopyEngine();
  CopyEngine(const CopyEngine&) = delete;
  CopyEngine& operator=(const CopyEngine&) = delete;

  void SetInstallType(std::string name) { install_type_ = std::move(name); }
  const std::string& install_type() const { return install_type_; }

  /// Reads the file count of the install type, sets the progress range, and
  /// reads the two texts the steps show.
  void Start();

  /// One step: one plain file, the opening of an archive, one archive entry,
  /// or the closing of an archive. A failed plain copy still advances the
  /// list and the bar before kFailed is returned. An entry's conversion
  /// that fails later ends the copy at the next call, with error_text()
  /// naming that entry. kWaiting, after at most about 10 ms, while the
  /// conversions in flight leave no room for the next entry or the list is
  /// done and they are not; kFinished once they are.
  StepResult Step();

  /// Stops the conversions in flight, waits for them (a stopped one leaves
  /// no output), deletes the compressed entries, and closes an archive left
  /// open (the page is going away mid-archive).
  void Close();

  int file_count() const { return file_count_; }
  int next_index() const { return next_index_; }
  bool unpacking() const { return archive_ != nullptr; }
  /// "<IDS_KOPIUJE_TERAZ_PLIK> <name>", at most 259 characters.
  const std::string& current_file_text() const { return current_file_; }
  /// Whether a step named a file (a list entry or an archive entry) since
  /// the last call: closing an archive or waiting for conversions names none.
  bool TakeFileNamed() { return std::exchange(file_named_, false); }
  /// "<IDS_E_WRITEOFILE> <source>" of the last list entry worked on; empty
  /// before the first step.
  const std::string& error_text() const { return error_text_; }
  /// Where the bar stands, and its upper end (a progress bar holds 16 bits).
  int progress_position() const { return position_; }
  int progress_range() const { return range_; }
  /// What the conversions handed back since the last call reported, a line
  /// each, led by the sound's name: for the log, after the step's own line.
  std::vector<std::string> TakeNotes() { return std::exchange(notes_, {}); }
  /// Why the last kFailed happened, for logs; Ok otherwise.
  const base::Status& failure() const { return failure_; }

 private:
  StepResult StepList();
  StepResult StepArchive();
  StepResult UnpackArchiveEntry();
  StepResult Fail(base::Status why);
  void CloseArchive();
  /// Hands back the finished conversions (waiting up to `wait_ms` for the
  /// oldest): kFailed for the first that failed, kGoOn otherwise.
  StepResult Collect(int wait_ms);
  /// Keeps what the conversion of `job` reported, for TakeNotes.
  void NoteReport(const ConversionQueue::Job& job);
  /// A name in `dir` (ending in "\\") for a file being written, which no
  /// list entry, archive entry or other installer's file can have; it ends
  /// in `suffix`.
  std::string TempName(const std::string& dir, std::string_view suffix);
  /// Refused once the target folder is gone or is another folder than the
  /// one the copy began in: files would land in a folder made anew, beside
  /// a half install nobody would see.
  base::Status CheckTargetFolder();
  /// Copies `source` to `target`, an old file there replaced only by a whole
  /// copy, and clears its read-only attribute.
  base::Status CopyOver(const std::string& source, const std::string& target);

  const script::LocalizedTexts texts_;
  const script::InstallScript& script_;
  platform::Platform& platform_;
  const std::string& target_dir_;
  std::string copying_text_;
  std::string write_error_text_;
  std::string install_type_ = "std";

  int file_count_ = 0;
  int next_index_ = 0;
  std::string error_text_;
  std::string current_file_;
  int position_ = 0;
  int range_ = 0;
  base::Status failure_;
  std::optional<platform::FileInfo> target_folder_;  // as first seen
  std::string target_folder_path_;                   // where it was seen

  platform::FilePtr archive_;
  std::optional<SoundArchiveReader> reader_;
  std::string archive_path_;  // lower-cased source of the open archive
  RuntimeRandom random_;
  std::string temp_tag_;  // this engine's own part of its temporary names
  unsigned temp_count_ = 0;
  SoundConverter& converter_;
  ConversionQueue conversions_;
  std::vector<std::string> notes_;
  bool file_named_ = false;
};

}  // namespace cdsetup::copy
