// The copy progress page: runs the copy engine's steps on its timer, about
// 15 ms of work per message so that the window stays responsive, shows the
// current file and a progress bar, and lets the user abort between steps.
// Archive entries convert on the other cores meanwhile.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/action_log.h"
#include "copy/audio_sound_converter.h"
#include "copy/copy_engine.h"
#include "framework/dialog.h"
#include "resources/resource_ids.h"
#include "script/localized_texts.h"

namespace cdsetup::copy {

class CCopyProgressDlg : public framework::CDialog {
 public:
  static constexpr int IDD = resources::IDD_COPY_PROGRESS;
  static constexpr int IDC_PROGRESS = resources::IDC_PROGRESS;
  static constexpr int IDC_CURRENT_FILE = resources::IDC_CURRENT_FILE;
  static constexpr framework::UINT kCopyTimer = 1;
  static constexpr framework::UINT kCopyPeriodMs = 10;
  /// The work one timer message does before the window gets its turn.
  static constexpr std::uint64_t kSliceMs = 15;

  /// `target_dir` is the install sequence's own text, read at every step.
  CCopyProgressDlg(const std::string& target_dir, framework::Owner owner,
                   script::LocalizedTexts texts);
  ~CCopyProgressDlg() override;

  void SetInstallType(const std::string& name) { m_strInstallType = name; }
  const std::string& install_type() const { return m_strInstallType; }
  /// "<IDS_E_WRITEOFILE> <file>" after a result of 2 (empty before any step).
  std::string GetErrorText() const;
  /// The cause of a failed copy, for the log; Ok otherwise.
  base::Status GetFailure() const;
  /// The converter archive entries go to; the audio converters by default.
  void SetConverter(SoundConverter* converter) { converter_ = converter; }
  /// Threads that convert beside the copy; one per core by default, 0 to
  /// convert each entry within its own step.
  void SetConversionWorkers(int workers) { workers_ = workers; }
  /// Milliseconds of the clock that measures the work of a message; a
  /// monotonic clock by default, a test's own otherwise.
  void SetWorkClock(std::function<std::uint64_t()> clock) { work_clock_ = std::move(clock); }
  /// Receives one line per step (the file worked on); null for none.
  void SetStepLog(base::ActionLog* log) { step_log_ = log; }

  bool OnInitDialog() override;
  void OnTimer(framework::UINT id) override;
  void OnDestroy() override;

 private:
  const std::string& target_dir_;
  script::LocalizedTexts m_texts;
  std::string m_strInstallType = "std";
  AudioSoundConverter default_converter_;
  SoundConverter* converter_ = &default_converter_;
  int workers_;
  std::function<std::uint64_t()> work_clock_;
  std::unique_ptr<CopyEngine> engine_;
  base::ActionLog* step_log_ = nullptr;
};

}  // namespace cdsetup::copy
