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
      target_dir_(target_dir),
      m_texts(std::move(texts)),
      workers_(DefaultWorkers()),
      work_clock_(SteadyMilliseconds) {}

CCopyProgressDlg::~CCopyProgressDlg() = default;

std::string CCopyProgressDlg::GetErrorText() const {
  return engine_ ? engine_->error_text() : std::string();
}

base::Status CCopyProgressDlg::GetFailure() const {
  return engine_ ? engine_->failure() : base::Status();
}

bool CCopyProgressDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  engine_ = std::make_unique<CopyEngine>(m_texts, target_dir_, *converter_, workers_);
  engine_->SetInstallType(m_strInstallType);
  SetWindowText(m_texts.Get("IDS_KOPIOWANIE_PLIKOW"));
  if (CWnd* abort = GetDlgItem(IDCANCEL)) abort->SetWindowText(m_texts.Get("IDS_PRZERWIJ"));
  engine_->Start();
  if (auto* bar = dynamic_cast<CProgressCtrl*>(GetDlgItem(IDC_PROGRESS))) {
    bar->SetRange(0, engine_->progress_range());
    bar->SetPos(0);
  }
  SetTimer(kCopyTimer, kCopyPeriodMs);
  return true;
}

void CCopyProgressDlg::OnTimer(UINT id) {
  if (id != kCopyTimer || !engine_) return;
  const std::uint64_t start = work_clock_();
  StepResult result;
  do {
    result = engine_->Step();
    if (step_log_ && result != StepResult::kWaiting) {
      step_log_->Write("copy step: " + engine_->current_file_text() +
                       (result == StepResult::kFailed
                            ? " (failed: " + engine_->failure().ToString() + ")"
                            : ""));
    }
  } while ((result == StepResult::kGoOn || result == StepResult::kWaiting) &&
           work_clock_() - start < kSliceMs);
  if (CWnd* label = GetDlgItem(IDC_CURRENT_FILE)) {
    if (label->GetWindowText() != engine_->current_file_text()) {
      label->SetWindowText(engine_->current_file_text());
    }
  }
  if (auto* bar = dynamic_cast<CProgressCtrl*>(GetDlgItem(IDC_PROGRESS))) {
    bar->SetPos(engine_->progress_position());
  }
  if (result == StepResult::kFinished) {
    OnOK();
  } else if (result == StepResult::kFailed) {
    OnCancel();
  }
}

void CCopyProgressDlg::OnDestroy() {
  CDialog::OnDestroy();
  if (engine_) engine_->Close();
  KillTimer(kCopyTimer);
}

}  // namespace cdsetup::copy
