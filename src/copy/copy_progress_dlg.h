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
  void SetConverter(SoundConverter* converter) { m_pConverter = converter; }
  /// Threads that convert beside the copy; one per core by default, 0 to
  /// convert each entry within its own step.
  void SetConversionWorkers(int workers) { m_nWorkers = workers; }
  /// Milliseconds of the clock that measures the work of a message; a
  /// monotonic clock by default, a test's own otherwise.
  void SetWorkClock(std::function<std::uint64_t()> clock) { m_workClock = std::move(clock); }
  /// Receives one line per step (the file worked on); null for none.
  void SetStepLog(base::ActionLog* log) { m_pStepLog = log; }

  bool OnInitDialog() override;
  void OnTimer(framework::UINT id) override;
  void OnDestroy() override;

 private:
  const std::string& m_strTargetDir;
  script::LocalizedTexts m_texts;
  std::string m_strInstallType = "std";
  AudioSoundConverter m_defaultConverter;
  SoundConverter* m_pConverter = &m_defaultConverter;
  int m_nWorkers;
  std::function<std::uint64_t()> m_workClock;
  std::unique_ptr<CopyEngine> m_pEngine;
  base::ActionLog* m_pStepLog = nullptr;
};

}  // namespace cdsetup::copy
