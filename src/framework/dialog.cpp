#include "framework/dialog.h"

#include <algorithm>
#include <cstdlib>

#include "framework/data_exchange.h"
#include "framework/input.h"
#include "framework/window_manager.h"

namespace cdsetup::framework {
namespace {

using resources::ControlKind;

std::uint64_t WindowStyleOf(std::uint32_t t, ControlKind kind) {
  namespace r = resources;
  std::uint64_t s = 0;
  auto map = [&](std::uint32_t from, std::uint64_t to) {
    if (t & from) s |= to;
  };
  map(r::kDefault, kStyleDefaultButton);
  map(r::kGroup, kStyleGroup);
  map(r::kTabStop, kStyleTabStop);
  map(r::kDisabled, kStyleDisabled);
  map(r::kHidden, kStyleHidden);
  map(r::kBorder, kStyleBorder);
  map(r::kVScroll, kStyleVScroll);
  map(r::kHScroll, kStyleHScroll);
  map(r::kMultiLine, kStyleMultiLine);
  map(r::kReadOnly, kStyleReadOnly);
  map(r::kAutoHScroll, kStyleAutoHScroll);
  map(r::kAutoVScroll, kStyleAutoVScroll);
  map(r::kWantReturn, kStyleWantReturn);
  map(r::kDropDown, kStyleDropDown);
  map(r::kDropDownList, kStyleDropDownList);
  map(r::kSort, kStyleSort);
  map(r::kOwnerDrawFixed, kStyleOwnerDrawFixed);
  map(r::kHasStrings, kStyleHasStrings);
  map(r::kNoIntegralHeight, kStyleNoIntegralHeight);
  map(r::kNotify, kStyleNotify);
  map(r::kCenter, kStyleCenter);
  map(r::kRight, kStyleRight);
  map(r::kCaption, kStyleCaption);
  map(r::kSysMenu, kStyleSysMenu);
  map(r::kModalFrame, kStyleModalFrame);
  map(r::kMinimizeBox, kStyleMinimizeBox);
  map(r::kBlackRect, kStyleBlackRect);
  map(r::kMaximizeBox, kStyleMaximizeBox);
  map(r::kAppWindow, kStyleAppWindow);
  if (kind == ControlKind::kGroupBox) s |= kStyleGroupBox;
  if (kind == ControlKind::kRadioButton) s |= kStyleAutoRadioButton;
  if (kind == ControlKind::kPicture) s |= kStyleIcon;
  return s;
}

WindowClass ClassOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::kPushButton:
    case ControlKind::kRadioButton:
    case ControlKind::kGroupBox:
      return WindowClass::kButton;
    case ControlKind::kStatic:
    case ControlKind::kPicture:
      return WindowClass::kStatic;
    case ControlKind::kEdit:
      return WindowClass::kEdit;
    case ControlKind::kComboBox:
      return WindowClass::kComboBox;
    case ControlKind::kListBox:
      return WindowClass::kListBox;
    case ControlKind::kProgress:
      return WindowClass::kProgress;
  }
  return WindowClass::kStatic;
}

bool TakesFocus(const WindowState* w) {
  return w->visible && w->enabled && (w->style & kStyleTabStop) != 0;
}

bool IsPushButton(const WindowState* w) {
  return w->cls == WindowClass::kButton &&
         (w->style & (kStyleGroupBox | kStyleAutoRadioButton)) == 0;
}

}  // namespace

bool CDialog::CreateFromTemplate(const resources::DialogTemplate& t) {
  WindowManager& wm = *windows_;
  UiBackend* backend = wm.backend();
  const CSize base = backend ? backend->DialogBaseUnits() : CSize{6, 13};
  auto px = [&](int x, int y, int cx, int cy) {
    auto h = [&](int v) { return (v * base.cx + 2) / 4; };
    auto v = [&](int u) { return (u * base.cy + 4) / 8; };
    return CRect{h(x), v(y), h(x) + h(cx), v(y) + v(cy)};
  };
  CRect rect = px(t.x, t.y, t.cx, t.cy);
  if (!CreateState(WindowClass::kDialog, wm.ResourceText(t.caption),
                   WindowStyleOf(t.style, ControlKind::kStatic), rect, nullptr, t.id)) {
    return false;
  }
  state_->font = CFont{std::string(t.font), t.font_size};
  for (const resources::ControlTemplate& c : t.controls) {
    WindowState* s = wm.Create(ClassOf(c.kind), nullptr, state_);
    s->id = c.id;
    s->style = WindowStyleOf(c.style, c.kind);
    s->rect = px(c.x, c.y, c.cx, c.cy);
    s->enabled = (s->style & kStyleDisabled) == 0;
    s->visible = (s->style & kStyleHidden) == 0;
    s->font = state_->font;
    if (c.kind == ControlKind::kPicture && c.text.size() > 1 && c.text[0] == '#') {
      s->icon_id = std::atoi(std::string(c.text.substr(1)).c_str());
    } else {
      s->text = wm.ResourceText(c.text);
    }
    if (c.kind == ControlKind::kComboBox) {
      // The template's height is the open list's; closed it is one row.
      s->dropped_rect = s->rect;
      s->rect.bottom = s->rect.top + base.cy + 8;
    }
  }
  return true;
}

void CDialog::EnsureClientSize(CSize size) {
  if (!state_) return;
  CRect& r = state_->rect;
  if (r.Width() >= size.cx && r.Height() >= size.cy) return;
  r.right = r.left + std::max(r.Width(), size.cx);
  r.bottom = r.top + std::max(r.Height(), size.cy);
  ++state_->generation;
  if (UiBackend* b = windows_->backend()) b->WindowChanged(*state_);
}

int CDialog::DoModal() {
  if (!windows_) return -1;
  WindowManager& wm = *windows_;
  const resources::DialogTemplate* t = wm.FindTemplate(template_id_);
  if (!t) {
    wm.Diagnose("no dialog template " + std::to_string(template_id_));
    return -1;
  }
  if (!wm.backend()) {
    wm.Diagnose("no user interface to show dialog " + std::to_string(template_id_));
    return -1;
  }
  if (!CreateFromTemplate(*t)) return -1;
  if (OnInitDialog()) {
    // The first control in tab order that takes the focus gets it.
    for (WindowState* c : state_->children) {
      if (TakesFocus(c)) {
        state_->focus = c;
        break;
      }
    }
  }
  if (!state_) return -1;  // ended while starting
  state_->modal_running = true;
  if (!state_->end_modal) wm.backend()->RunModalLoop(*this);
  const int result = state_ ? state_->modal_result : IDCANCEL;
  if (state_) DestroyWindow();
  return result;
}

void CDialog::EndDialog(int result) {
  if (!state_) return;
  state_->end_modal = true;
  state_->modal_result = result;
}

bool CDialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void CDialog::OnOK() {
  if (!UpdateData(true)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() {
  EndDialog(IDCANCEL);
}

bool CDialog::UpdateData(bool save) {
  CDataExchange dx(this, save);
  DoDataExchange(&dx);
  return !dx.failed();
}

void CDialog::CheckRadioButton(int first, int last, int check) {
  if (!state_) return;
  for (WindowState* c : state_->children) {
    if (c->cls == WindowClass::kButton && c->id >= first && c->id <= last) {
      c->check = c->id == check ? 1 : 0;
      ++c->generation;
    }
  }
  if (UiBackend* b = windows_->backend()) b->WindowChanged(*state_);
}

int CDialog::GetCheckedRadioButton(int first, int last) const {
  if (!state_) return 0;
  for (WindowState* c : state_->children) {
    if (c->cls == WindowClass::kButton && c->id >= first && c->id <= last && c->check) return c->id;
  }
  return 0;
}

int CDialog::GetDefID() const {
  if (!state_) return IDOK;
  if (state_->focus && IsPushButton(state_->focus)) return state_->focus->id;
  for (WindowState* c : state_->children) {
    if (IsPushButton(c) && (c->style & kStyleDefaultButton)) return c->id;
  }
  return IDOK;
}

void CDialog::MoveFocus(bool forward) {
  if (!state_ || state_->children.empty()) return;
  auto& order = state_->children;
  const std::size_t n = order.size();
  auto at = std::find(order.begin(), order.end(), state_->focus);
  std::size_t start =
      at == order.end() ? (forward ? n - 1 : 0) : static_cast<std::size_t>(at - order.begin());
  for (std::size_t k = 1; k <= n; ++k) {
    WindowState* c = order[(start + (forward ? k : n - k)) % n];
    if (TakesFocus(c)) {
      // Into a radio group, the focus goes to the button that is checked.
      if (c->style & kStyleAutoRadioButton) {
        for (WindowState* member : GroupOf(*c)) {
          if ((member->style & kStyleAutoRadioButton) && member->check && member->visible &&
              member->enabled) {
            c = member;
          }
        }
      }
      state_->focus = c;
      ++state_->generation;
      if (UiBackend* b = windows_->backend()) b->WindowChanged(*state_);
      return;
    }
  }
}

bool CDialog::OnCommand(UINT id, UINT code, CWnd*) {
  if (code != BN_CLICKED) return false;
  if (id == IDOK) {
    OnOK();
    return true;
  }
  if (id == IDCANCEL) {
    OnCancel();
    return true;
  }
  return false;
}

void CDialog::PressKey(UINT key, bool shift) {
  if (!state_) return;
  WindowState* focus = state_->focus;
  if (focus && focus->wnd) {
    const UINT code = focus->wnd->OnGetDlgCode();
    const bool enter_taken = key == VK_RETURN && focus->cls == WindowClass::kEdit &&
                             (focus->style & kStyleWantReturn) && !(focus->style & kStyleReadOnly);
    if ((code & DLGC_WANTALLKEYS) || enter_taken) {
      focus->wnd->WindowProc(WM_KEYDOWN, key, 0);
      return;
    }
  }
  switch (key) {
    case VK_TAB:
      MoveFocus(!shift);
      return;
    case VK_RETURN: {
      const int id = GetDefID();
      CWnd* button = GetDlgItem(id);
      if (button && !button->IsWindowEnabled()) return;  // a disabled default does nothing
      WindowProc(WM_COMMAND, MAKEWPARAM(static_cast<UINT>(id), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
      return;
    }
    case VK_ESCAPE:
      WindowProc(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(IDCANCEL)));
      return;
    case VK_UP:
    case VK_DOWN:
    case VK_LEFT:
    case VK_RIGHT:
      if (focus && focus->cls == WindowClass::kButton) {
        MoveInGroup(*focus, key == VK_DOWN || key == VK_RIGHT);
        return;
      }
      [[fallthrough]];
    default:
      if (focus && focus->wnd) focus->wnd->WindowProc(WM_KEYDOWN, key, 0);
      return;
  }
}

void CDialog::MoveInGroup(WindowState& from, bool forward) {
  // The arrows go round the group; a radio button they reach is checked, as
  // a click on it would.
  const std::vector<WindowState*> group = GroupOf(from);
  const auto at = std::find(group.begin(), group.end(), &from);
  if (at == group.end()) return;
  const std::size_t n = group.size();
  const auto here = static_cast<std::size_t>(at - group.begin());
  for (std::size_t k = 1; k < n; ++k) {
    WindowState* next = group[(here + (forward ? k : n - k)) % n];
    if (next->cls != WindowClass::kButton || (next->style & kStyleGroupBox) || !next->visible ||
        !next->enabled) {
      continue;
    }
    if (next->style & kStyleAutoRadioButton) {
      UserClick(*next);
    } else if (CWnd* button = next->wnd ? next->wnd : GetDlgItem(next->id)) {
      button->SetFocus();
    }
    return;
  }
}

}  // namespace cdsetup::framework
