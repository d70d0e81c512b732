#include "framework/input.h"

#include "framework/controls.h"
#include "framework/window_manager.h"

namespace cdsetup::framework {
namespace {

bool Usable(const WindowState& w) {
  return w.manager->Alive(&w) && w.enabled && w.visible;
}

// The control's object; a template control gets its plain one on first use.
CWnd* WrapperOf(WindowState& w) {
  if (!w.wnd && w.parent && w.parent->wnd) w.parent->wnd->GetDlgItem(w.id);
  return w.wnd;
}

void Focus(WindowState& w) {
  WindowState* top = &w;
  while (top->parent) top = top->parent;
  top->focus = &w;
}

}  // namespace

WindowState* FindChild(const WindowState& dialog, int id) {
  for (WindowState* c : dialog.children) {
    if (c->id == id) return c;
  }
  return nullptr;
}

std::vector<WindowState*> GroupOf(WindowState& control) {
  if (!control.parent) return {&control};
  const auto& order = control.parent->children;
  std::size_t at = 0;
  while (at < order.size() && order[at] != &control) ++at;
  if (at == order.size()) return {};
  std::size_t first = at;
  while (first > 0 && !(order[first]->style & kStyleGroup)) --first;
  std::vector<WindowState*> group{order[first]};
  for (std::size_t i = first + 1; i < order.size() && !(order[i]->style & kStyleGroup); ++i) {
    group.push_back(order[i]);
  }
  return group;
}

bool UserClick(WindowState& button) {
  if (button.cls != WindowClass::kButton || !Usable(button) || (button.style & kStyleGroupBox)) {
    return false;
  }
  if (button.style & kStyleAutoRadioButton) {
    for (WindowState* other : GroupOf(button)) {
      if (other->style & kStyleAutoRadioButton) other->check = other == &button ? 1 : 0;
    }
  }
  Focus(button);
  NotifyParent(button, BN_CLICKED);
  return true;
}

bool UserFocus(WindowState& control) {
  if (!Usable(control) || !control.parent) return false;
  if (CWnd* wnd = WrapperOf(control)) {
    wnd->SetFocus();
  } else {
    Focus(control);
  }
  return true;
}

bool UserType(WindowState& field, std::string_view text) {
  if (!Usable(field)) return false;
  if (field.cls == WindowClass::kEdit) {
    if (field.style & kStyleReadOnly) return false;
  } else if (field.cls != WindowClass::kComboBox || (field.style & kStyleDropDownList)) {
    return false;
  }
  std::string_view kept = text;
  if (field.limit > 0 && kept.size() > field.limit) kept = kept.substr(0, field.limit);
  field.text = std::string(kept);
  field.sel_start = field.sel_end = field.text.size();
  ++field.generation;
  Focus(field);
  NotifyParent(field, field.cls == WindowClass::kEdit ? EN_CHANGE : 5 /* CBN_EDITCHANGE */);
  return true;
}

bool UserPickRow(WindowState& list, int row) {
  if (list.cls != WindowClass::kListBox || !Usable(list)) return false;
  if (row < 0 || row >= static_cast<int>(list.items.size())) return false;
  Focus(list);
  if (list.cur_sel == row) return true;
  auto* box = dynamic_cast<CListBox*>(WrapperOf(list));
  if (!box) return false;
  box->SetCurSel(row);
  if (list.style & kStyleNotify) NotifyParent(list, LBN_SELCHANGE);
  return true;
}

bool UserDoubleClickRow(WindowState& list, int row) {
  WindowManager& wm = *list.manager;  // read while the list is surely there
  if (!UserPickRow(list, row)) return false;
  if (wm.Alive(&list) && (list.style & kStyleNotify)) {
    NotifyParent(list, LBN_DBLCLK);
  }
  return true;
}

bool UserPickComboRow(WindowState& combo, int row) {
  if (combo.cls != WindowClass::kComboBox || !Usable(combo)) return false;
  if (row < 0 || row >= static_cast<int>(combo.items.size())) return false;
  WindowManager& wm = *combo.manager;
  Focus(combo);
  auto* box = dynamic_cast<CComboBox*>(WrapperOf(combo));
  if (!box) return false;
  box->ShowDropDown(true);
  NotifyParent(combo, CBN_DROPDOWN);
  if (!wm.Alive(&combo)) return true;
  const bool changed = combo.cur_sel != row;
  box->SetCurSel(row);
  if (changed) NotifyParent(combo, CBN_SELCHANGE);
  if (!wm.Alive(&combo)) return true;
  box->ShowDropDown(false);
  NotifyParent(combo, CBN_CLOSEUP);
  if (wm.Alive(&combo)) NotifyParent(combo, CBN_SELENDOK);
  return true;
}

void UserKey(CDialog& dialog, UINT key, bool shift) {
  dialog.PressKey(key, shift);
}

void UserClose(CDialog& dialog) {
  dialog.WindowProc(WM_CLOSE, 0, 0);
}

void UserMinimise(WindowState& window, bool minimise) {
  if (window.wnd) window.wnd->ShowWindow(minimise ? SW_MINIMIZE : SW_RESTORE);
}

}  // namespace cdsetup::framework
