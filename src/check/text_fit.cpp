#include "check/text_fit.h"

#include <algorithm>
#include <string>
#include <vector>

#include "base/utf8.h"
#include "check/font_widths.h"
#include "check/script_map.h"
#include "check/used_keys.h"
#include "resources/dialog_template.h"
#include "resources/resource_ids.h"

namespace cdsetup::check {
namespace {

namespace r = resources;

constexpr int kCaption = -2;  // the window's caption rather than a control
constexpr int kOk = 1, kCancel = 2;
constexpr int kUtf8 = 65001;
constexpr int kLineHeight = 12;  // a line of the font at 8 points, its ascent and descent rounded

struct Placement {
  std::string_view key;
  int dialog;
  int control;  // kCaption for the caption
  std::string_view what;
  Shown when;
};

// Where the pages show the script's texts.
constexpr Placement kPlacements[] = {
    {"IDS_NAZWA_GRY2", r::IDD_MAIN, kCaption, "the main dialog's caption", Shown::kAlways},
    {"IDS_DALEJ", r::IDD_MAIN, kOk, "the main dialog's install button", Shown::kAlways},
    {"IDS_WYJSCIE", r::IDD_MAIN, kCancel, "the main dialog's exit button", Shown::kAlways},
    {"IDS_LICENCJA", r::IDD_LICENCE, kCaption, "the licence page's caption", Shown::kWithLicence},
    {"IDS_AKCEPT_UMOWE", r::IDD_LICENCE, kOk, "the licence page's accept button",
     Shown::kWithLicence},
    {"IDS_NIE", r::IDD_LICENCE, kCancel, "the licence page's back button", Shown::kWithLicence},
    {"IDS_RODZAJ_INST", r::IDD_INSTALL_TYPE, kCaption, "the install type page's caption",
     Shown::kWithInstallType},
    {"IDS_WYBIERZ_INST", r::IDD_INSTALL_TYPE, r::IDC_TYPE_GROUP,
     "the install type page's group label", Shown::kWithInstallType},
    {"IDS_WERSJA_MIN", r::IDD_INSTALL_TYPE, r::IDC_TYPE_MIN, "the minimal install choice",
     Shown::kWithInstallType},
    {"IDS_WERSJA_STD", r::IDD_INSTALL_TYPE, r::IDC_TYPE_STD, "the standard install choice",
     Shown::kWithInstallType},
    {"IDS_WERSJA_MAX", r::IDD_INSTALL_TYPE, r::IDC_TYPE_MAX, "the full install choice",
     Shown::kWithInstallType},
    {"IDS_DALEJ", r::IDD_INSTALL_TYPE, kOk, "the install type page's next button",
     Shown::kWithInstallType},
    {"IDS_POWROT", r::IDD_INSTALL_TYPE, kCancel, "the install type page's back button",
     Shown::kWithInstallType},
    {"IDS_NAZWA_GRY", r::IDD_TARGET_DIR, kCaption, "the target page's caption", Shown::kAlways},
    {"IDS_DYSK", r::IDD_TARGET_DIR, r::IDC_DRIVE_LABEL, "the target page's drive label",
     Shown::kAlways},
    {"IDS_KATALOG_NAME", r::IDD_TARGET_DIR, r::IDC_DIRECTORY_LABEL,
     "the target page's folder label", Shown::kAlways},
    {"IDS_DALEJ", r::IDD_TARGET_DIR, kOk, "the target page's next button", Shown::kAlways},
    {"IDS_POWROT", r::IDD_TARGET_DIR, kCancel, "the target page's back button", Shown::kAlways},
    {"IDS_KOPIOWANIE_PLIKOW", r::IDD_COPY_PROGRESS, kCaption, "the copy page's caption",
     Shown::kAlways},
    {"IDS_PRZERWIJ", r::IDD_COPY_PROGRESS, kCancel, "the copy page's abort button", Shown::kAlways},
};

struct Units {
  int x, y;  // pixels per four horizontal and eight vertical dialog units
  // Pixels of `cx` (`cy`) dialog units, rounded as Windows' MapDialogRect does.
  int Width(int cx) const { return (cx * x + 2) / 4; }
  int Height(int cy) const { return (cy * y + 4) / 8; }
};

// What the dialog manager makes of a dialog unit in the template's font,
// measured in the stand-in as the Qt windows measure it: the average width
// of the 52 letters, rounded its way, and a line's height.
Units UnitsOf(const r::DialogTemplate&) {
  return {(TextWidth("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 26 + 1) / 2,
          kLineHeight};
}

// The pixels a control of `kind` and `width` pixels has for its text.
int RoomFor(r::ControlKind kind, int width) {
  switch (kind) {
    case r::ControlKind::kPushButton:
      return width - 6;                 // the button's edges and its focus frame
    case r::ControlKind::kRadioButton:  // the circle and the gap after it
    case r::ControlKind::kGroupBox:     // the frame's corners either side of its label
      return width - 16;
    default:
      return width;
  }
}

// How many rows `utf8` takes when broken between words at `room` pixels.
int RowsAt(std::string_view utf8, int room) {
  int rows = 1, used = 0;
  std::size_t start = 0;
  while (start <= utf8.size()) {
    const std::size_t end = std::min(utf8.find(' ', start), utf8.size());
    const int word = TextWidth(utf8.substr(start, end - start));
    const int needed = used == 0 ? word : used + TextWidth(" ") + word;
    if (used > 0 && needed > room) {
      ++rows;
      used = word;
    } else {
      used = needed;
    }
    start = end + 1;
  }
  return rows;
}

}  // namespace

int TextWidth(std::string_view utf8, bool bold) {
  const FontWidths widths = bold ? BoldWidths() : RegularWidths();
  const int unknown = widths.Of(U'n', 6);  // a letter the font lacks, drawn as another's
  int width = 0;
  for (std::size_t i = 0; i < utf8.size();)
    width += widths.Of(base::DecodeUtf8At(utf8, i), unknown);
  return width;
}

void CheckTextsFit(const Medium& medium, const LanguageSection& language) {
  const ScriptMap& script = medium.script;
  for (const Placement& p : kPlacements) {
    if ((p.when == Shown::kWithLicence && !medium.licence_shown) ||
        (p.when == Shown::kWithInstallType && !medium.install_type_shown)) {
      continue;
    }
    const r::DialogTemplate* dialog = r::FindDialogTemplate(p.dialog);
    if (!dialog || !script.Has(language.name, p.key)) continue;
    const std::string text = script.Text(language.name, p.key);
    const base::Result<std::string> utf8 =
        medium.platform().Recode(text, language.code_page, kUtf8);
    if (text.empty() || !utf8.ok()) continue;  // reported as such elsewhere
    const Units units = UnitsOf(*dialog);
    int room = 0;
    int width = TextWidth(*utf8, p.control == kCaption);
    if (p.control == kCaption) {
      // The caption bar: the frame, and the icon and buttons a system menu brings.
      int client = units.Width(dialog->cx);
      if (p.dialog == r::IDD_MAIN) client = std::max(client, 350);  // it holds its picture
      const bool menu = dialog->style & r::kSysMenu;
      const bool boxes = dialog->style & (r::kMinimizeBox | r::kMaximizeBox);
      room = client - 8 - (menu ? 20 + 20 + (boxes ? 40 : 0) : 0);
    } else {
      const r::ControlTemplate* c = dialog->Find(p.control);
      if (!c) continue;
      room = RoomFor(c->kind, units.Width(c->cx));
      const int rows = c->kind == r::ControlKind::kStatic ? units.Height(c->cy) / kLineHeight : 1;
      if (rows > 1 && RowsAt(*utf8, room) <= rows) continue;
    }
    if (width <= room) continue;
    medium.report.Add(script.Line(language.name, p.key),
                      KeyName(language.name, p.key, text) + ": " + std::to_string(width) +
                          " pixels wide, but " + std::string(p.what) + " shows " +
                          std::to_string(std::max(room, 0)) + ": it will be clipped");
  }
}

}  // namespace cdsetup::check
