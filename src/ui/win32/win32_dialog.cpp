#include "ui/win32/win32_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "framework/controls.h"
#include "framework/input.h"
#include "resources/image.h"
#include "resources/resource_ids.h"
#include "ui/win32/dialog_host.h"
#include "ui/win32/dialog_template_builder.h"
#include "ui/win32/gdi_image.h"
#include "ui/win32/gdi_replay.h"
#include "ui/win32/wide_text.h"

namespace cdsetup::ui::win32 {

namespace {

using fw::WindowClass;

}  // namespace

std::string Win32Dialog::TextOf(HWND w, const fw::WindowState& control) const {
  // A letter the system cannot spell comes back as its default character,
  // which no name holds.
  return WindowTextOf(w, control.holds_names ? 0 : host_.CodePage());
}

std::wstring Win32Dialog::WideOf(std::string_view text, bool name) const {
  return name ? Widen(text, 0) : host_.Wide(text);
}

void Win32Dialog::SetTextIfChanged(HWND w, const fw::WindowState& control) const {
  const std::wstring wanted = WideOf(control.text, control.holds_names);
  if (WideWindowText(w) != wanted) SetWindowTextW(w, wanted.c_str());
}

FontSource Win32Dialog::Fonts() const {
  return [this](const fw::CFont& f) { return host_.FontFor(f); };
}

TextSource Win32Dialog::Texts() const {
  return [this](std::string_view t, bool name) { return WideOf(t, name); };
}

Win32Dialog::~Win32Dialog() {
  for (auto& [key, icon] : icons_) {
    if (icon) DestroyIcon(icon);
  }
}

HICON Win32Dialog::IconOf(int id, bool large) {
  const auto key = std::make_pair(id, large);
  if (auto it = icons_.find(key); it != icons_.end()) return it->second;
  HICON icon = MakeIcon(resources::LoadIconImage(id, large));
  icons_[key] = icon;
  return icon;
}

void Win32Dialog::SyncIcon() {
  fw::WindowState* s = dialog_.state();
  const int id = s->icon_id ? s->icon_id : resources::IDI_APP;  // the program's own
  if (id == shown_icon_) return;
  shown_icon_ = id;
  SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(IconOf(id, true)));
  SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(IconOf(id, false)));
}

void Win32Dialog::Paint(HDC dc) {
  fw::CDC recorded(
      [this](const fw::CFont& f, const std::string& t) { return host_.MeasureText(f, t); });
  dialog_.PaintClient(recorded);
  ReplayOps(dc, recorded.ops(), Fonts(), Texts());
}

void Win32Dialog::Attach(HWND hwnd) {
  hwnd_ = hwnd;
  SetPropA(hwnd, kTemplateProperty,
           reinterpret_cast<HANDLE>(static_cast<INT_PTR>(dialog_.template_id())));
  controls_.clear();
  // The dialog manager made the children in template order, which is the
  // state's window order.
  HWND child = GetWindow(hwnd, GW_CHILD);
  for (fw::WindowState* c : dialog_.state()->children) {
    if (!child) break;
    controls_[c] = child;
    WatchEnter(*c, child);
    child = GetWindow(child, GW_HWNDNEXT);
  }
  SyncAll();
}

void Win32Dialog::Detach() {
  if (hwnd_) RemovePropA(hwnd_, kTemplateProperty);
  hwnd_ = nullptr;
}

HWND Win32Dialog::ControlWindow(const fw::WindowState& c) const {
  auto it = controls_.find(&c);
  return it == controls_.end() ? nullptr : it->second;
}

fw::WindowState* Win32Dialog::StateOf(HWND control) const {
  for (const auto& [state, w] : controls_) {
    if (w == control) return const_cast<fw::WindowState*>(state);
  }
  return nullptr;
}

HWND Win32Dialog::MakeControl(fw::WindowState& c) {
  // A control the program made after the dialog was shown.
  const std::string name = ClassNameOf(c);
  const std::wstring class_name(name.begin(), name.end());  // ASCII
  HWND w = CreateWindowExW(ControlExStyleOf(c), class_name.c_str(), L"", ControlStyleOf(c),
                           c.rect.left, c.rect.top, c.rect.Width(), c.rect.Height(), hwnd_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                           GetModuleHandleW(nullptr), nullptr);
  if (!w) return nullptr;
  SendMessageA(w, WM_SETFONT, SendMessageA(hwnd_, WM_GETFONT, 0, 0), FALSE);
  controls_[&c] = w;
  WatchEnter(c, w);
  return w;
}

void Win32Dialog::WatchEnter(fw::WindowState& c, HWND w) {
  if (c.cls == WindowClass::kListBox)
    SetWindowSubclass(w, ListProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK Win32Dialog::ListProc(HWND w, UINT message, WPARAM wparam, LPARAM lparam,
                                       UINT_PTR id, DWORD_PTR self) {
  auto* d = reinterpret_cast<Win32Dialog*>(self);
  switch (message) {
    case WM_GETDLGCODE: {
      const auto* msg = reinterpret_cast<const MSG*>(lparam);
      LRESULT code = DefSubclassProc(w, message, wparam, lparam);
      if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
      return code;
    }
    case WM_KEYDOWN:
      if (wparam != VK_RETURN || !d->hwnd_ || !d->dialog_.state()) break;
      if (fw::WindowState* c = d->StateOf(w); c && d->dialog_.state()->focus != c)
        fw::UserFocus(*c);
      fw::UserKey(d->dialog_, VK_RETURN);
      d->host_.AfterInput();
      return 0;
    case WM_NCDESTROY:
      RemoveWindowSubclass(w, ListProc, id);
      break;
    default:
      break;
  }
  return DefSubclassProc(w, message, wparam, lparam);
}

void Win32Dialog::RemoveControl(const fw::WindowState& c) {
  auto it = controls_.find(&c);
  if (it == controls_.end()) return;
  HWND w = it->second;
  controls_.erase(it);
  DestroyWindow(w);
}

std::wstring Win32Dialog::RowText(fw::WindowState& c, int row) const {
  const fw::ListItem& item = c.items[static_cast<std::size_t>(row)];
  if (!item.text.empty()) return WideOf(item.text, c.holds_names);
  // A row without a text of its own: what its owner draws, as plain text.
  auto* list = dynamic_cast<fw::CListControl*>(c.wnd);
  if (!list) return {};
  fw::CDC dc([this](const fw::CFont& f, const std::string& t) { return host_.MeasureText(f, t); });
  list->PaintRow(dc, row, 0, {0, 0, c.rect.Width(), c.item_height});
  std::wstring text;
  for (const fw::DrawOp& op : dc.ops()) {
    if (op.kind != fw::DrawOp::kText || op.text.empty()) continue;
    if (!text.empty()) text += L"  ";
    text += WideOf(op.text, op.name);
  }
  return text;
}

void Win32Dialog::SyncRows(fw::WindowState& c, HWND w) {
  const bool list = c.cls == WindowClass::kListBox;
  const UINT count_msg = list ? LB_GETCOUNT : CB_GETCOUNT;
  const UINT reset_msg = list ? LB_RESETCONTENT : CB_RESETCONTENT;
  const UINT add_msg = list ? LB_ADDSTRING : CB_ADDSTRING;
  const UINT text_len_msg = list ? LB_GETTEXTLEN : CB_GETLBTEXTLEN;
  const UINT text_msg = list ? LB_GETTEXT : CB_GETLBTEXT;
  std::vector<std::wstring> rows;
  rows.reserve(c.items.size());
  for (int i = 0; i < static_cast<int>(c.items.size()); ++i) {
    rows.push_back(RowText(c, i));
  }
  // Refilled only when the rows differ, so the list keeps its scroll.
  bool same = SendMessageW(w, count_msg, 0, 0) == static_cast<LRESULT>(rows.size());
  for (std::size_t i = 0; same && i < rows.size(); ++i) {
    const LRESULT n = SendMessageW(w, text_len_msg, i, 0);
    std::wstring shown(static_cast<std::size_t>(n > 0 ? n : 0) + 1, L'\0');
    SendMessageW(w, text_msg, i, reinterpret_cast<LPARAM>(shown.data()));
    shown.resize(static_cast<std::size_t>(n > 0 ? n : 0));
    same = shown == rows[i];
  }
  if (!same) {
    SendMessageW(w, WM_SETREDRAW, FALSE, 0);
    SendMessageW(w, reset_msg, 0, 0);
    for (const std::wstring& r : rows)
      SendMessageW(w, add_msg, 0, reinterpret_cast<LPARAM>(r.c_str()));
    SendMessageW(w, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(w, nullptr, TRUE);
  }
  SendMessageA(w, list ? LB_SETCURSEL : CB_SETCURSEL, static_cast<WPARAM>(c.cur_sel), 0);
  if (c.style & fw::kStyleOwnerDrawFixed) {
    const UINT height_msg = list ? LB_SETITEMHEIGHT : CB_SETITEMHEIGHT;
    const LRESULT now = SendMessageA(w, list ? LB_GETITEMHEIGHT : CB_GETITEMHEIGHT, 0, 0);
    if (now != std::max(1, c.item_height)) {
      SendMessageA(w, height_msg, 0, std::max(1, c.item_height));
      InvalidateRect(w, nullptr, TRUE);
    }
  }
}

void Win32Dialog::SyncControl(fw::WindowState& c) {
  if (!hwnd_) return;
  HWND w = ControlWindow(c);
  if (!w) w = MakeControl(c);
  if (!w) return;
  const bool was_syncing = syncing_;
  syncing_ = true;
  RECT now{};
  GetWindowRect(w, &now);
  MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&now), 2);
  // A combo box's window is as tall as its open list, where the field is.
  fw::CRect r = c.rect;
  if (c.cls == WindowClass::kComboBox && c.dropped_rect.Height() > r.Height()) {
    r.bottom = r.top + c.dropped_rect.Height();
  }
  if (now.left != r.left || now.top != r.top || now.right - now.left != r.Width() ||
      (c.cls != WindowClass::kComboBox && now.bottom - now.top != r.Height())) {
    SetWindowPos(w, nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
  }
  EnableWindow(w, c.enabled);
  switch (c.cls) {
    case WindowClass::kButton:
      SetTextIfChanged(w, c);
      if (c.style & fw::kStyleAutoRadioButton) {
        SendMessageA(w, BM_SETCHECK, c.check ? BST_CHECKED : BST_UNCHECKED, 0);
      }
      break;
    case WindowClass::kStatic:
      if (c.style & fw::kStyleIcon) {
        HICON icon = c.icon_id ? IconOf(c.icon_id, true) : nullptr;
        if (reinterpret_cast<HICON>(SendMessageA(w, STM_GETICON, 0, 0)) != icon) {
          SendMessageA(w, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
        }
      } else if (!(c.style & fw::kStyleBlackRect)) {
        SetTextIfChanged(w, c);
      }
      break;
    case WindowClass::kEdit:
      // The core's 0 is no limit; the system's largest one stands for it.
      SendMessageA(w, EM_LIMITTEXT, c.limit > 0 ? c.limit : 0x7FFFFFFE, 0);
      SetTextIfChanged(w, c);
      break;
    case WindowClass::kListBox:
    case WindowClass::kComboBox:
      SyncRows(c, w);
      break;
    case WindowClass::kProgress:
      SendMessageA(w, PBM_SETRANGE32, static_cast<WPARAM>(c.range_lo), c.range_hi);
      SendMessageA(w, PBM_SETPOS, static_cast<WPARAM>(c.pos), 0);
      break;
    case WindowClass::kDialog:
      break;
  }
  ShowWindow(w, c.visible ? SW_SHOWNA : SW_HIDE);
  syncing_ = was_syncing;
}

void Win32Dialog::SyncAll() {
  fw::WindowState* s = dialog_.state();
  if (!hwnd_ || !s) return;
  const bool was_syncing = syncing_;
  syncing_ = true;
  SetTextIfChanged(hwnd_, *s);
  EnableWindow(hwnd_, s->enabled);
  SyncIcon();
  for (fw::WindowState* c : s->children) SyncControl(*c);
  const bool minimise = s->show_state == SW_SHOWMINIMIZED;
  if (minimise != (IsIconic(hwnd_) != 0)) ShowWindow(hwnd_, minimise ? SW_MINIMIZE : SW_RESTORE);
  if (s->focus) {
    if (HWND f = ControlWindow(*s->focus); f && GetFocus() != f && IsWindowVisible(f)) SetFocus(f);
  }
  // The default push button is the core's.
  const int def = dialog_.GetDefID();
  SendMessageA(hwnd_, DM_SETDEFID, static_cast<WPARAM>(def), 0);
  syncing_ = was_syncing;
}

bool Win32Dialog::OnCommand(WPARAM wparam, LPARAM lparam) {
  if (syncing_) return true;
  const UINT id = LOWORD(wparam), code = HIWORD(wparam);
  auto* control_window = reinterpret_cast<HWND>(lparam);
  fw::WindowState* c = control_window ? StateOf(control_window) : nullptr;
  if (!c) {
    // Enter and Escape of the dialog manager, with no button of that id.
    if (id == IDOK) fw::UserKey(dialog_, VK_RETURN);
    if (id == IDCANCEL) fw::UserKey(dialog_, VK_ESCAPE);
    host_.AfterInput();
    return true;
  }
  if (code == EN_SETFOCUS || code == LBN_SETFOCUS || code == CBN_SETFOCUS) {
    OnFocus(control_window);
    return true;
  }
  // Only these are a person's input; the rest (EN_UPDATE, ...) must not
  // bring the windows back to a state that has not seen the input yet.
  bool input = false;
  switch (c->cls) {
    case WindowClass::kButton:
      input = code == BN_CLICKED;
      if (input) fw::UserClick(*c);
      break;
    case WindowClass::kEdit:
      input = code == EN_CHANGE;
      if (input) fw::UserType(*c, TextOf(control_window, *c));
      break;
    case WindowClass::kListBox: {
      const int row = static_cast<int>(SendMessageA(control_window, LB_GETCURSEL, 0, 0));
      input = (code == LBN_SELCHANGE || code == LBN_DBLCLK) && row >= 0;
      if (input && code == LBN_SELCHANGE) fw::UserPickRow(*c, row);
      if (input && code == LBN_DBLCLK) fw::UserDoubleClickRow(*c, row);
      break;
    }
    case WindowClass::kComboBox: {
      const int row = static_cast<int>(SendMessageA(control_window, CB_GETCURSEL, 0, 0));
      input = code == CBN_SELENDOK && row >= 0;
      if (input) fw::UserPickComboRow(*c, row);
      break;
    }
    default:
      break;
  }
  if (input) host_.AfterInput();
  return true;
}

bool Win32Dialog::MeasureItem(::MEASUREITEMSTRUCT& item) {
  fw::WindowState* s = dialog_.state();
  if (!s) return false;
  for (fw::WindowState* c : s->children) {
    if (c->id != static_cast<int>(item.CtlID) ||
        (c->cls != WindowClass::kListBox && c->cls != WindowClass::kComboBox)) {
      continue;
    }
    fw::MEASUREITEMSTRUCT m;
    m.CtlType = item.CtlType;
    m.CtlID = item.CtlID;
    m.itemID = static_cast<int>(item.itemID);
    m.itemWidth = static_cast<UINT>(c->rect.Width());
    m.itemHeight = static_cast<UINT>(std::max(1, c->item_height));
    if (auto* list = dynamic_cast<fw::CListControl*>(c->wnd)) list->MeasureItem(&m);
    item.itemHeight = std::max(1u, m.itemHeight);
    return true;
  }
  return false;
}

bool Win32Dialog::DrawItem(const ::DRAWITEMSTRUCT& item) {
  fw::WindowState* c = StateOf(item.hwndItem);
  auto* list = c ? dynamic_cast<fw::CListControl*>(c->wnd) : nullptr;
  if (!list || !list->OwnerDrawn()) return false;
  const fw::CRect rect{0, 0, item.rcItem.right - item.rcItem.left,
                       item.rcItem.bottom - item.rcItem.top};
  const int row = static_cast<int>(item.itemID);
  // The control draws in the row's own coordinates, as it does for the
  // other interfaces.
  POINT origin{};
  OffsetViewportOrgEx(item.hDC, item.rcItem.left, item.rcItem.top, &origin);
  if (row >= 0 && row < static_cast<int>(c->items.size())) {
    fw::CDC dc(
        [this](const fw::CFont& f, const std::string& t) { return host_.MeasureText(f, t); });
    list->PaintRow(dc, row, item.itemState, rect);
    ReplayOps(item.hDC, dc.ops(), Fonts(), Texts());
  } else {
    // No row (an empty list, a combo box without a choice): its background.
    const RECT all{0, 0, rect.right, rect.bottom};
    FillRect(item.hDC, &all, GetSysColorBrush(COLOR_WINDOW));
  }
  SetViewportOrgEx(item.hDC, origin.x, origin.y, nullptr);
  return true;
}

void Win32Dialog::OnSize(WPARAM kind) {
  fw::WindowState* s = dialog_.state();
  if (syncing_ || !s || (kind != SIZE_MINIMIZED && kind != SIZE_RESTORED)) return;
  const bool minimised = kind == SIZE_MINIMIZED;
  if (minimised == (s->show_state == SW_SHOWMINIMIZED)) return;
  fw::UserMinimise(*s, minimised);
  host_.AfterInput();
  InvalidateRect(hwnd_, nullptr, TRUE);  // the minimised dialog paints its icon
}

void Win32Dialog::OnFocus(HWND control) {
  fw::WindowState* s = dialog_.state();
  if (syncing_ || !s || !control) return;
  fw::WindowState* c = StateOf(control);
  // A combo box's field is a window of the combo box's own.
  if (!c) c = StateOf(GetParent(control));
  // The core is told, or the next sync would move the focus back.
  if (c && s->focus != c && fw::UserFocus(*c)) host_.AfterInput();
}

void Win32Dialog::OnClose() {
  fw::WindowState* s = dialog_.state();
  if (!s) return;
  if (s->style & fw::kStyleSysMenu) {
    fw::UserClose(dialog_);
  } else if (fw::WindowState* exit = fw::FindChild(*s, IDCANCEL)) {
    // Without a system menu the close (Alt+F4) does what the exit button does.
    fw::UserClick(*exit);
  }
  host_.AfterInput();
}

}  // namespace cdsetup::ui::win32
