#include "framework/data_exchange.h"

#include "framework/app.h"
#include "framework/controls.h"
#include "framework/window_manager.h"
#include "resources/resource_ids.h"

namespace cdsetup::framework {

CWnd* CDataExchange::PrepareEditCtrl(int id) {
  m_pLastEdit = m_pDlgWnd->GetDlgItem(id);
  if (!m_pLastEdit) {
    m_pDlgWnd->windows()->Diagnose("dialog " + std::to_string(m_pDlgWnd->template_id()) +
                                   " has no control " + std::to_string(id));
  }
  return m_pLastEdit;
}

void CDataExchange::Fail() {
  m_bFailed = true;
  if (auto* edit = dynamic_cast<CEdit*>(m_pLastEdit)) {
    edit->SetFocus();
    edit->SetSel(0, static_cast<std::size_t>(edit->GetWindowTextLength()));
  } else if (m_pLastEdit) {
    m_pLastEdit->SetFocus();
  }
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  if (control.IsWindow()) return;  // bound at the first exchange
  if (!control.SubclassDlgItem(id, dx->m_pDlgWnd)) dx->PrepareEditCtrl(id);
}

void DDX_Text(CDataExchange* dx, int id, std::string& value) {
  if (dx->failed()) return;
  CWnd* control = dx->PrepareEditCtrl(id);
  if (!control) return;
  if (dx->m_bSaveAndValidate) {
    value = control->GetWindowText();
  } else {
    control->SetWindowText(value);
  }
}

void DDX_CBString(CDataExchange* dx, int id, std::string& value) {
  if (dx->failed()) return;
  CWnd* control = dx->PrepareEditCtrl(id);
  auto* combo = dynamic_cast<CComboBox*>(control);
  if (!combo) return;
  if (dx->m_bSaveAndValidate) {
    value = combo->GetWindowText();
  } else if (combo->SelectItem(-1, value, 0) < 0 && combo->HasEditField()) {
    combo->SetWindowText(value);
  }
}

std::string TooLongText(const WindowManager& windows, std::size_t max) {
  return resources::WithArguments(windows.OwnText(resources::OwnText::kTooLong),
                                  {std::to_string(max)});
}

void DDV_MaxChars(CDataExchange* dx, const std::string& value, int max) {
  if (dx->failed()) return;
  CWnd* control = dx->last_control();
  if (!dx->m_bSaveAndValidate) {
    if (auto* edit = dynamic_cast<CEdit*>(control)) {
      edit->LimitText(static_cast<std::size_t>(max));
    } else if (auto* combo = dynamic_cast<CComboBox*>(control)) {
      combo->LimitText(static_cast<std::size_t>(max));
    }
    return;
  }
  if (value.size() <= static_cast<std::size_t>(max)) return;
  WindowManager& windows = *dx->m_pDlgWnd->windows();
  AfxMessageBox(windows, TooLongText(windows, static_cast<std::size_t>(max)), MB_ICONEXCLAMATION,
                resources::IDP_VALIDATION);
  dx->Fail();
}

}  // namespace cdsetup::framework
