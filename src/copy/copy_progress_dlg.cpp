#include "copy/copy_progress_dlg.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "framework/controls.h"

namespace cdsetup::copy {

using namespace framework;

namespace {

// The conversions take every core; the copy itself waits on the disk.
int DefaultWorkers() {
  return std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 8);
}

std::uint64_t SteadyMilliseconds() {
  using namespace std::chrono;
  return static_cast<std::uint64_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

CCopyProgressDlg::CCopyProgressDlg(const std::string& target_dir, framework::Owner owner,
                                   script::LocalizedTexts texts)
    : CDialog(IDD, owner),
      m_strTargetDir(target_dir),
      m_texts(std::move(texts)),
      m_nWorkers(DefaultWorkers()),
      m_workClock(SteadyMilliseconds) {}

CCopyProgressDlg::~CCopyProgressDlg() = default;

std::string CCopyProgressDlg::GetErrorText() const {
  return m_pEngine ? m_pEngine->error_text() : std::string();
}

base::Status CCopyProgressDlg::GetFailure() const {
  return m_pEngine ? m_pEngine->failure() : base::Status();
}

bool CCopyProgressDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_pEngine = std::make_unique<CopyEngine>(m_texts, m_strTargetDir, *m_pConverter, m_nWorkers);
  m_pEngine->SetInstallType(m_strInstallType);
  SetWindowText(m_texts.Get("IDS_KOPIOWANIE_PLIKOW"));
  if (CWnd* abort = GetDlgItem(IDCANCEL)) abort->SetWindowText(m_texts.Get("IDS_PRZERWIJ"));
  m_pEngine->Start();
  if (auto* bar = dynamic_cast<CProgressCtrl*>(GetDlgItem(IDC_PROGRESS))) {
    bar->SetRange(0, m_pEngine->progress_range());
    bar->SetPos(0);
  }
  SetTimer(kCopyTimer, kCopyPeriodMs);
  return true;
}

void CCopyProgressDlg::OnTimer(UINT id) {
  if (id != kCopyTimer || !m_pEngine) return;
  const std::uint64_t start = m_workClock();
  StepResult result;
  do {
    result = m_pEngine->Step();
    // A line per file, and for the failure: closing an archive names none.
    const bool named = m_pEngine->TakeFileNamed();
    if (m_pStepLog && (named || result == StepResult::kFailed)) {
      m_pStepLog->Write("copy step: " + m_pEngine->current_file_text() +
                        (result == StepResult::kFailed
                             ? " (failed: " + m_pEngine->failure().ToString() + ")"
                             : ""));
    }
    if (m_pStepLog) {
      for (const std::string& note : m_pEngine->TakeNotes()) m_pStepLog->Write("  " + note);
    }
  } while ((result == StepResult::kGoOn || result == StepResult::kWaiting) &&
           m_workClock() - start < kSliceMs);
  if (CWnd* label = GetDlgItem(IDC_CURRENT_FILE)) {
    if (label->GetWindowText() != m_pEngine->current_file_text()) {
      label->SetWindowText(m_pEngine->current_file_text());
    }
  }
  if (auto* bar = dynamic_cast<CProgressCtrl*>(GetDlgItem(IDC_PROGRESS))) {
    bar->SetPos(m_pEngine->progress_position());
  }
  if (result == StepResult::kFinished) {
    OnOK();
  } else if (result == StepResult::kFailed) {
    OnCancel();
  }
}

void CCopyProgressDlg::OnDestroy() {
  CDialog::OnDestroy();
  if (m_pEngine) m_pEngine->Close();
  KillTimer(kCopyTimer);
}

}  // namespace cdsetup::copy
