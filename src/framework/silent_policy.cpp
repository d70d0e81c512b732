#include "framework/silent_policy.h"

#include "framework/input.h"

namespace cdsetup::framework {

namespace {

bool Click(CDialog& dialog, int id) {
  WindowState* control = dialog.state() ? FindChild(*dialog.state(), id) : nullptr;
  return control && UserClick(*control);
}

}  // namespace

bool SilentPolicy::AnswerDialog(CDialog& dialog,
                                const std::function<void(const std::string&)>& announce) {
  switch (dialog.template_id()) {
    case 102:  // the main dialog: install once, then leave
      if (main_dialog_started_) {
        announce("exit");
        return Click(dialog, IDCANCEL);
      }
      main_dialog_started_ = true;
      announce("install");
      return Click(dialog, IDOK);
    case 179:  // the language page: the row it shows first
      announce("language " + dialog.GetDlgItem(1017)->GetWindowText());
      return Click(dialog, IDOK);
    case 165:
      if (!answers_.accept_licence) {
        announce("licence not accepted (no --accept-licence)");
        return Click(dialog, IDCANCEL);
      }
      announce("licence accepted");
      return Click(dialog, IDOK);
    case 182: {
      type_page_seen_ = true;
      const std::string type = answers_.install_type.value_or("std");
      const int radio = type == "min" ? 1022 : type == "max" ? 1024 : 1023;
      announce("install type " + type);
      return Click(dialog, radio) && Click(dialog, IDOK);
    }
    case 134: {
      WindowState* field = dialog.state() ? FindChild(*dialog.state(), 1009) : nullptr;
      if (answers_.directory && field) UserType(*field, *answers_.directory);
      announce("directory " + (field ? field->text : std::string()));
      return Click(dialog, IDOK);
    }
    default:
      return false;
  }
}

int SilentPolicy::AnswerMessageBox(const MessageBoxRequest& request) {
  if (request.buttons() == MB_YESNO) {
    // Extra programs and DirectX are declined; creating the directory is not.
    if (request.caption == "DirectX" || request.caption == "Uwaga !") return IDNO;
    return IDYES;
  }
  if (request.buttons() == MB_RETRYCANCEL) return IDCANCEL;
  return request.DefaultAnswer();
}

}  // namespace cdsetup::framework
