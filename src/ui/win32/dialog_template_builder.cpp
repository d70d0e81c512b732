#include "ui/win32/dialog_template_builder.h"

#include <commctrl.h>

#include <algorithm>

namespace cdsetup::ui::win32 {

namespace {

using fw::WindowClass;

// Appends to a byte image that is later copied into DWORDs.
class Writer {
 public:
  void Word(std::uint16_t w) {
    bytes_.push_back(static_cast<std::uint8_t>(w & 0xFF));
    bytes_.push_back(static_cast<std::uint8_t>(w >> 8));
  }
  void Dword(std::uint32_t d) {
    Word(static_cast<std::uint16_t>(d & 0xFFFF));
    Word(static_cast<std::uint16_t>(d >> 16));
  }
  void Short(int v) { Word(static_cast<std::uint16_t>(static_cast<std::int16_t>(v))); }
  void Byte(std::uint8_t b) { bytes_.push_back(b); }
  // Names here are ASCII (class names, font faces): widened byte by byte.
  void WideString(const std::string& s) {
    for (unsigned char c : s) Word(c);
    Word(0);
  }
  void AlignDword() {
    while (bytes_.size() % 4) bytes_.push_back(0);
  }
  std::vector<std::uint32_t> Dwords() {
    AlignDword();
    std::vector<std::uint32_t> out(bytes_.size() / 4);
    for (std::size_t i = 0; i < out.size(); ++i) {
      out[i] = static_cast<std::uint32_t>(bytes_[4 * i]) |
               static_cast<std::uint32_t>(bytes_[4 * i + 1]) << 8 |
               static_cast<std::uint32_t>(bytes_[4 * i + 2]) << 16 |
               static_cast<std::uint32_t>(bytes_[4 * i + 3]) << 24;
    }
    return out;
  }

 private:
  std::vector<std::uint8_t> bytes_;
};

bool Has(const fw::WindowState& w, std::uint64_t bit) {
  return (w.style & bit) != 0;
}

DWORD DialogStyleOf(const fw::WindowState& d) {
  DWORD s = WS_POPUP | DS_SETFONT | DS_CENTER | DS_3DLOOK;
  if (Has(d, fw::kStyleCaption)) s |= WS_CAPTION;
  if (Has(d, fw::kStyleSysMenu)) s |= WS_SYSMENU;
  if (Has(d, fw::kStyleModalFrame)) s |= DS_MODALFRAME;
  if (Has(d, fw::kStyleMinimizeBox)) s |= WS_MINIMIZEBOX;
  if (Has(d, fw::kStyleMaximizeBox)) s |= WS_MAXIMIZEBOX;
  return s;
}

}  // namespace

const char* ClassNameOf(const fw::WindowState& c) {
  switch (c.cls) {
    case WindowClass::kButton:
      return "BUTTON";
    case WindowClass::kStatic:
      return "STATIC";
    case WindowClass::kEdit:
      return "EDIT";
    case WindowClass::kComboBox:
      return "COMBOBOX";
    case WindowClass::kListBox:
      return "LISTBOX";
    case WindowClass::kProgress:
      return PROGRESS_CLASSA;
    case WindowClass::kDialog:
      break;
  }
  return "STATIC";
}

DWORD ControlStyleOf(const fw::WindowState& c) {
  DWORD s = WS_CHILD;
  if (c.visible) s |= WS_VISIBLE;
  if (!c.enabled) s |= WS_DISABLED;
  if (Has(c, fw::kStyleTabStop)) s |= WS_TABSTOP;
  if (Has(c, fw::kStyleGroup)) s |= WS_GROUP;
  if (Has(c, fw::kStyleBorder)) s |= WS_BORDER;
  if (Has(c, fw::kStyleVScroll)) s |= WS_VSCROLL;
  if (Has(c, fw::kStyleHScroll)) s |= WS_HSCROLL;
  switch (c.cls) {
    case WindowClass::kButton:
      // Automatic, as the template says: the dialog manager then checks the
      // button an arrow key moves to, and tells the core as it tells of a
      // click; the core checks the same button and stays the judge.
      if (Has(c, fw::kStyleGroupBox)) {
        s |= BS_GROUPBOX;
      } else if (Has(c, fw::kStyleAutoRadioButton)) {
        s |= BS_AUTORADIOBUTTON;
      } else {
        s |= Has(c, fw::kStyleDefaultButton) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
      }
      break;
    case WindowClass::kStatic:
      if (Has(c, fw::kStyleBlackRect)) {
        s |= SS_BLACKRECT;
      } else if (Has(c, fw::kStyleIcon)) {
        s |= SS_ICON;
      } else {
        s |= Has(c, fw::kStyleCenter) ? SS_CENTER : Has(c, fw::kStyleRight) ? SS_RIGHT : SS_LEFT;
      }
      break;
    case WindowClass::kEdit:
      if (Has(c, fw::kStyleMultiLine)) s |= ES_MULTILINE;
      if (Has(c, fw::kStyleReadOnly)) s |= ES_READONLY;
      if (Has(c, fw::kStyleAutoHScroll)) s |= ES_AUTOHSCROLL;
      if (Has(c, fw::kStyleAutoVScroll)) s |= ES_AUTOVSCROLL;
      if (Has(c, fw::kStyleWantReturn)) s |= ES_WANTRETURN;
      break;
    case WindowClass::kListBox:
      // Rows keep their texts (what an owner draws, for rows without); the
      // list tells every selection.
      s |= LBS_NOTIFY | LBS_HASSTRINGS;
      if (Has(c, fw::kStyleOwnerDrawFixed)) s |= LBS_OWNERDRAWFIXED;
      if (Has(c, fw::kStyleNoIntegralHeight)) s |= LBS_NOINTEGRALHEIGHT;
      if (Has(c, fw::kStyleDisableNoScroll)) s |= LBS_DISABLENOSCROLL;
      break;
    case WindowClass::kComboBox:
      s |= CBS_HASSTRINGS | WS_VSCROLL;
      if (Has(c, fw::kStyleOwnerDrawFixed)) s |= CBS_OWNERDRAWFIXED;
      s |= Has(c, fw::kStyleDropDown) && !Has(c, fw::kStyleDropDownList) ? CBS_DROPDOWN
                                                                         : CBS_DROPDOWNLIST;
      break;
    case WindowClass::kProgress:
    case WindowClass::kDialog:
      break;
  }
  return s;
}

DWORD ControlExStyleOf(const fw::WindowState& c) {
  if (c.cls == WindowClass::kEdit && Has(c, fw::kStyleBorder)) return WS_EX_CLIENTEDGE;
  if (c.cls == WindowClass::kListBox || c.cls == WindowClass::kProgress) return WS_EX_CLIENTEDGE;
  return 0;
}

fw::CRect DialogTemplateBuilder::ToUnits(const fw::CRect& px) const {
  const int bx = std::max(1, base_.cx), by = std::max(1, base_.cy);
  auto h = [&](int v) { return (v * 4 + bx / 2) / bx; };
  auto v = [&](int u) { return (u * 8 + by / 2) / by; };
  return {h(px.left), v(px.top), h(px.right), v(px.bottom)};
}

std::vector<std::uint32_t> DialogTemplateBuilder::Build(const fw::WindowState& dialog) const {
  Writer w;
  // The fewest dialog units whose pixels, as the dialog manager rounds them
  // (to the nearest), hold what the core laid out: a size that came from
  // units goes back to the same units, not one more.
  const int bx = std::max(1, base_.cx), by = std::max(1, base_.cy);
  const int cx = std::max(0, (dialog.rect.Width() * 4 - 2 + bx - 1) / bx);
  const int cy = std::max(0, (dialog.rect.Height() * 8 - 4 + by - 1) / by);
  w.Word(1);       // dlgVer
  w.Word(0xFFFF);  // signature: the extended template
  w.Dword(0);      // helpID
  w.Dword(Has(dialog, fw::kStyleAppWindow) ? WS_EX_APPWINDOW : 0);
  w.Dword(DialogStyleOf(dialog));
  w.Word(static_cast<std::uint16_t>(std::min<std::size_t>(dialog.children.size(), 0xFFFF)));
  w.Short(0);
  w.Short(0);
  w.Short(cx);
  w.Short(cy);
  w.Word(0);  // no menu
  w.Word(0);  // the dialog class
  w.Word(0);  // caption: set from the state
  w.Word(static_cast<std::uint16_t>(dialog.font.points));
  w.Word(FW_NORMAL);
  w.Byte(0);  // not italic
  w.Byte(DEFAULT_CHARSET);
  w.WideString(dialog.font.name);
  std::size_t n = 0;
  for (const fw::WindowState* c : dialog.children) {
    if (++n > 0xFFFF) break;
    w.AlignDword();
    const fw::CRect r = ToUnits(c->rect);
    w.Dword(0);  // helpID
    w.Dword(ControlExStyleOf(*c));
    w.Dword(ControlStyleOf(*c));
    w.Short(r.left);
    w.Short(r.top);
    w.Short(r.Width());
    w.Short(c->cls == WindowClass::kComboBox && c->dropped_rect.Height() > 0
                ? ToUnits(c->dropped_rect).Height()
                : r.Height());
    w.Dword(static_cast<std::uint32_t>(c->id));
    w.WideString(ClassNameOf(*c));
    w.Word(0);  // text: set from the state
    w.Word(0);  // no creation data
  }
  return w.Dwords();
}

}  // namespace cdsetup::ui::win32
