// Data exchange between a dialog's controls and its members, with the
// length check of text fields.
#pragma once

#include <cstddef>
#include <string>

#include "framework/dialog.h"

namespace cdsetup::framework {

class CDataExchange {
 public:
  CDataExchange(CDialog* dialog, bool save) : m_pDlgWnd(dialog), m_bSaveAndValidate(save) {}

  /// Called by a validation that refused: focus and select the last field
  /// exchanged, and end the exchange.
  void Fail();
  bool failed() const { return m_bFailed; }
  /// The control exchanged last; validations refer to it.
  CWnd* PrepareEditCtrl(int id);
  CWnd* last_control() const { return m_pLastEdit; }

  CDialog* m_pDlgWnd;
  bool m_bSaveAndValidate;

 private:
  CWnd* m_pLastEdit = nullptr;
  bool m_bFailed = false;
};

/// Binds `control` to the dialog's control `id`.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
/// Exchanges the text of control `id` with `value`.
void DDX_Text(CDataExchange* dx, int id, std::string& value);
/// Exchanges a combo box's text (the field's text, or the row picked).
void DDX_CBString(CDataExchange* dx, int id, std::string& value);
/// Towards the controls limits the last field to `max` characters; towards
/// the members refuses a longer `value` with the framework's message.
void DDV_MaxChars(CDataExchange* dx, const std::string& value, int max);
/// The message a field's text over `max` characters is refused with, in the
/// language of the pages `windows` shows.
std::string TooLongText(const WindowManager& windows, std::size_t max);

}  // namespace cdsetup::framework
