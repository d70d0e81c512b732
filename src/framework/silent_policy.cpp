#include "framework/silent_policy.h"

#include "framework/input.h"
#include "resources/resource_ids.h"

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
    case resources::IDD_MAIN:  // the main dialog: install once, then leave
      if (main_dialog_started_) {
        announce("exit");
        return Click(dialog, IDCANCEL);
      }
      main_dialog_started_ = true;
      announce("install");
      return Click(dialog, IDOK);
    case resources::IDD_LANGUAGE:  // the language page: the row it shows first
      announce("language " + dialog.GetDlgItem(resources::IDC_LANGUAGE)->GetWindowText());
      return Click(dialog, IDOK);
    case resources::IDD_LICENCE:
      if (!answers_.accept_licence) {
        announce("licence not accepted (no --accept-licence)");
        return Click(dialog, IDCANCEL);
      }
      announce("licence accepted");
      return Click(dialog, IDOK);
    case resources::IDD_INSTALL_TYPE: {
      type_page_seen_ = true;
      const std::string type = answers_.install_type.value_or("std");
      const int radio = type == "min"   ? resources::IDC_TYPE_MIN
                        : type == "max" ? resources::IDC_TYPE_MAX
                                        : resources::IDC_TYPE_STD;
      announce("install type " + type);
      return Click(dialog, radio) && Click(dialog, IDOK);
    }
    case resources::IDD_TARGET_DIR: {
      WindowState* field =
          dialog.state() ? FindChild(*dialog.state(), resources::IDC_PATH) : nullptr;
      if (answers_.directory && field) UserType(*field, *answers_.directory);
      announce("directory " + (field ? field->text : std::string()));
      return Click(dialog, IDOK);
    }
    default:
      return false;
  }
}

int SilentPolicy::AnswerMessageBox(const MessageBoxRequest& request) {
  switch (request.id) {
    case resources::IDP_CREATE_DIRECTORY:
      return IDYES;
    case resources::IDP_RUN_EXTRA_PROGRAM:
    case resources::IDP_INSTALL_DIRECTX:
    case resources::IDP_NOT_ENOUGH_SPACE:  // nobody is there to make room
      return IDNO;
    case resources::IDP_DIRECTORY_UNREADABLE:
      return IDCANCEL;
    default:
      // The rest only inform; their default button closes them.
      return request.DefaultAnswer();
  }
}

}  // namespace cdsetup::framework
