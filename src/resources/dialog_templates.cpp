// The dialog templates of the program, as the resource compiler would have laid
// them out. The texts are the Polish resource texts; most are replaced at run
// time by the chosen language's texts.
#include <array>

#include "resources/dialog_template.h"
#include "resources/resource_ids.h"

namespace cdsetup::resources {
namespace {

using K = ControlKind;

// Push buttons and input fields take part in Tab navigation, as the resource
// compiler's statements give them by default; the tables below spell that out.
// 1 and 2 are IDOK and IDCANCEL, the ids the framework gives the pages' push
// buttons.
constexpr std::uint32_t kPage = kPopup | kCaption | kSysMenu | kModalFrame;

// 102: the main dialog. No system menu, so the only way out is the exit button;
// it stands on the task bar as the program's window.
constexpr std::array kMain{
    ControlTemplate{1, K::kPushButton, "Instaluj", 54, 125, 50, 14, kDefault | kTabStop},
    ControlTemplate{2, K::kPushButton, "Wyjście", 127, 125, 50, 14, kTabStop},
};

// 134: the target directory page. 1007 and 1010 are placeholders that the page
// replaces by the drive and directory lists; the page moves the directory list
// behind the label 1011 in the tab order itself.
constexpr std::array kTargetDir{
    ControlTemplate{1, K::kPushButton, "Dalej >>", 105, 176, 50, 14, kDefault | kTabStop},
    ControlTemplate{2, K::kPushButton, "<< Powrót", 166, 176, 50, 14, kTabStop},
    ControlTemplate{IDC_DRIVES, K::kComboBox, "", 50, 151, 166, 62,
                    kDropDownList | kSort | kVScroll | kTabStop},
    ControlTemplate{kNoId, K::kStatic, "", 7, 30, 209, 1, kBlackRect},
    ControlTemplate{IDC_PATH, K::kEdit, "", 7, 12, 209, 14, kBorder | kTabStop | kAutoHScroll},
    ControlTemplate{IDC_DIRECTORIES, K::kListBox, "", 7, 46, 209, 92,
                    kNotify | kSort | kNoIntegralHeight | kVScroll | kTabStop},
    ControlTemplate{IDC_DRIVE_LABEL, K::kStatic, "Dysk", 14, 153, 17, 8, kGroup},
    ControlTemplate{IDC_DIRECTORY_LABEL, K::kStatic, "Katalog", 7, 34, 209, 12, kCenter | kGroup},
    ControlTemplate{kNoId, K::kStatic, "", 7, 146, 209, 1, kBlackRect},
};

// 135: the copy progress page. The label 1012 shows the file being copied.
constexpr std::array kCopyProgress{
    ControlTemplate{IDC_PROGRESS, K::kProgress, "Progress1", 35, 26, 168, 14, kBorder},
    ControlTemplate{IDC_CURRENT_FILE, K::kStatic, "", 15, 13, 196, 8, kNone},
    ControlTemplate{2, K::kPushButton, "Przerwij", 93, 50, 50, 14, kTabStop},
};

// 165: the licence agreement. Both buttons carry the default mark; "back" comes
// first so that it, not "accept", has the focus when the page opens. The box
// scrolls sideways instead of wrapping, so only the file's own line ends break.
constexpr std::array kLicence{
    ControlTemplate{2, K::kPushButton, "Powrót", 326, 210, 50, 14, kDefault | kTabStop},
    ControlTemplate{1, K::kPushButton, "Akceptuję umowę", 242, 210, 74, 14, kDefault | kTabStop},
    ControlTemplate{
        1013, K::kEdit, "", 7, 7, 377, 192,
        kMultiLine | kReadOnly | kBorder | kVScroll | kAutoVScroll | kAutoHScroll | kTabStop},
};

// 179: the language page; its English texts are never replaced. The combo box
// has an edit field, so a language name can also be typed.
constexpr std::array kLanguage{
    ControlTemplate{1, K::kPushButton, "Next", 22, 47, 50, 14, kDefault | kTabStop},
    ControlTemplate{2, K::kPushButton, "Cancel", 87, 47, 50, 14, kTabStop},
    ControlTemplate{IDC_LANGUAGE, K::kComboBox, "", 41, 23, 70, 47,
                    kDropDown | kVScroll | kTabStop},
    ControlTemplate{kNoId, K::kStatic, "Choose language:", 7, 7, 79, 8, kNone},
};

// 182: the install type page. The three radio buttons form one group, which
// starts at 1022 and is entered by Tab there.
constexpr std::array kInstallType{
    ControlTemplate{1, K::kPushButton, "OK", 29, 116, 50, 14, kDefault | kTabStop},
    ControlTemplate{2, K::kPushButton, "Cancel", 102, 116, 50, 14, kTabStop},
    ControlTemplate{IDC_TYPE_GROUP, K::kGroupBox, "Wybierz rodzaj instalacji :", 21, 15, 140, 91,
                    kNone},
    ControlTemplate{IDC_TYPE_MIN, K::kRadioButton, "Wersja minimalna", 31, 36, 90, 10,
                    kGroup | kTabStop},
    ControlTemplate{IDC_TYPE_STD, K::kRadioButton, "Wersja standardowa", 31, 59, 91, 10, kNone},
    ControlTemplate{IDC_TYPE_MAX, K::kRadioButton, "Wersja pełna", 32, 82, 90, 10, kNone},
};

constexpr std::string_view kSansSerif = "MS Sans Serif";
constexpr std::string_view kArial = "Arial";

// The main dialog's resource caption is only a stand-in: the product title
// from the install script replaces it before the dialog is shown.
constexpr std::array kDialogs{
    DialogTemplate{IDD_MAIN, "Instalacja", 0, 0, 232, 150, kSansSerif, 8,
                   kPopup | kCaption | kAppWindow, kMain},
    DialogTemplate{IDD_TARGET_DIR, "", 0, 0, 223, 197, kSansSerif, 8,
                   kPage | kMinimizeBox | kMaximizeBox, kTargetDir},
    DialogTemplate{IDD_COPY_PROGRESS, "Kopiowanie plików.", 0, 0, 237, 83, kArial, 8,
                   kPage | kMinimizeBox, kCopyProgress},
    DialogTemplate{IDD_LICENCE, "Umowa licencyjna.", 0, 0, 391, 231, kArial, 8, kPage, kLicence},
    DialogTemplate{IDD_LANGUAGE, "LANGUAGE", 0, 0, 155, 71, kSansSerif, 8, kPage, kLanguage},
    DialogTemplate{IDD_INSTALL_TYPE, "Rodzaj instalacji:", 0, 0, 185, 143, kSansSerif, 8, kPage,
                   kInstallType},
};

}  // namespace

const DialogTemplate* FindDialogTemplate(int id) {
  for (const DialogTemplate& dialog : kDialogs) {
    if (dialog.id == id) return &dialog;
  }
  return nullptr;
}

}  // namespace cdsetup::resources
