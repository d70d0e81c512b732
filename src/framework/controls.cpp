#include "framework/controls.h"

#include <algorithm>

#include "base/ascii.h"
#include "framework/window_manager.h"

namespace cdsetup::framework {
namespace {

void Changed(WindowState* w) {
  if (!w) return;
  ++w->generation;
  if (w->redraw) {
    if (UiBackend* b = w->manager->backend()) b->WindowChanged(*w);
  }
}

int CompareNoCase(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(base::ToLowerAscii(a[i]));
    const auto y = static_cast<unsigned char>(base::ToLowerAscii(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace

// --- Buttons, edits, progress bars ---------------------------------------------

void CEdit::LimitText(std::size_t max) {
  if (state_) state_->limit = max;
}

std::size_t CEdit::GetLimitText() const {
  return state_ ? state_->limit : 0;
}

void CEdit::SetSel(std::size_t start, std::size_t end) {
  if (!state_) return;
  const std::size_t size = state_->text.size();
  state_->sel_start = std::min(start, size);
  state_->sel_end = std::min(end, size);
  if (state_->sel_end < state_->sel_start) std::swap(state_->sel_start, state_->sel_end);
}

void CProgressCtrl::SetRange(int lower, int upper) {
  if (!state_) return;
  state_->range_lo = lower & 0xFFFF;
  state_->range_hi = upper & 0xFFFF;
  Changed(state_);
}

void CProgressCtrl::GetRange(int& lower, int& upper) const {
  lower = state_ ? state_->range_lo : 0;
  upper = state_ ? state_->range_hi : 0;
}

int CProgressCtrl::SetPos(int pos) {
  if (!state_) return 0;
  const int old = state_->pos;
  // The bar keeps its position inside the range, as the control does.
  const int lo = std::min(state_->range_lo, state_->range_hi);
  const int hi = std::max(state_->range_lo, state_->range_hi);
  state_->pos = std::clamp(pos, lo, hi);
  Changed(state_);
  return old;
}

int CProgressCtrl::GetPos() const {
  return state_ ? state_->pos : 0;
}

// --- Rows ------------------------------------------------------------------------

bool CListControl::OwnerDrawn() const {
  return state_ && (state_->style & kStyleOwnerDrawFixed) != 0;
}

bool CListControl::HasStrings() const {
  return state_ && (!OwnerDrawn() || (state_->style & kStyleHasStrings) != 0);
}

int CListControl::GetCount() const {
  return state_ ? static_cast<int>(state_->items.size()) : 0;
}

int CListControl::GetCurSel() const {
  return state_ ? state_->cur_sel : -1;
}

int CListControl::SetCurSel(int index) {
  if (!state_) return -1;
  const bool valid = index >= 0 && index < GetCount();
  state_->cur_sel = valid ? index : -1;
  state_->caret = state_->cur_sel;
  if (state_->cls == WindowClass::kComboBox) {
    // The field shows the row picked; without one, a list-only box shows nothing.
    if (valid && HasStrings()) {
      state_->text = state_->items[static_cast<std::size_t>(index)].text;
    } else if (!valid && (state_->style & kStyleDropDownList)) {
      state_->text.clear();
    }
  }
  Changed(state_);
  return valid ? index : -1;
}

std::uintptr_t CListControl::GetItemData(int index) const {
  if (!state_ || index < 0 || index >= GetCount()) return static_cast<std::uintptr_t>(-1);
  return state_->items[static_cast<std::size_t>(index)].data;
}

int CListControl::SetItemData(int index, std::uintptr_t data) {
  if (!state_ || index < 0 || index >= GetCount()) return -1;
  state_->items[static_cast<std::size_t>(index)].data = data;
  return 0;
}

int CListControl::CompareItem(LPCOMPAREITEMSTRUCT item) {
  if (!state_ || !HasStrings()) return 0;
  auto text_of = [&](int id, std::uintptr_t data) -> std::string_view {
    if (id >= 0 && id < GetCount()) return state_->items[static_cast<std::size_t>(id)].text;
    return *reinterpret_cast<const std::string*>(data);
  };
  return CompareNoCase(text_of(item->itemID1, item->itemData1),
                       text_of(item->itemID2, item->itemData2));
}

int CListControl::Insert(int index, ListItem item, bool sorted) {
  if (!state_) return -1;
  auto& items = state_->items;
  std::size_t at = items.size();
  if (sorted) {
    // Binary search through CompareItem; a row equal to others goes after
    // them, so rows that tie keep the order they were added in.
    std::size_t lo = 0, hi = items.size();
    while (lo < hi) {
      const std::size_t mid = (lo + hi) / 2;
      COMPAREITEMSTRUCT c;
      c.CtlType = OwnerDrawType();
      c.CtlID = static_cast<UINT>(state_->id);
      c.hwndItem = this;
      c.itemID1 = -1;
      c.itemData1 = HasStrings() ? reinterpret_cast<std::uintptr_t>(&item.text) : item.data;
      c.itemID2 = static_cast<int>(mid);
      c.itemData2 = items[mid].data;
      if (CompareItem(&c) < 0) {
        hi = mid;
      } else {
        lo = mid + 1;
      }
    }
    at = lo;
  } else if (index >= 0 && static_cast<std::size_t>(index) <= items.size()) {
    at = static_cast<std::size_t>(index);
  }
  items.insert(items.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
  const int row = static_cast<int>(at);
  if (state_->cur_sel >= row) ++state_->cur_sel;
  Changed(state_);
  return row;
}

int CListControl::AddString(std::string_view text) {
  if (!state_) return -1;
  return Insert(-1, ListItem{std::string(text), 0}, (state_->style & kStyleSort) != 0);
}

int CListControl::AddItemData(std::uintptr_t data) {
  if (!state_) return -1;
  return Insert(-1, ListItem{{}, data}, (state_->style & kStyleSort) != 0);
}

int CListControl::InsertString(int index, std::string_view text) {
  // An explicit index is never sorted, as with the system's lists.
  return Insert(index < 0 ? GetCount() : index, ListItem{std::string(text), 0}, false);
}

int CListControl::DeleteString(int index) {
  if (!state_ || index < 0 || index >= GetCount()) return -1;
  if (OwnerDrawn()) {
    DELETEITEMSTRUCT d;
    d.CtlType = OwnerDrawType();
    d.CtlID = static_cast<UINT>(state_->id);
    d.itemID = index;
    d.hwndItem = this;
    d.itemData = state_->items[static_cast<std::size_t>(index)].data;
    DeleteItem(&d);
  }
  state_->items.erase(state_->items.begin() + index);
  if (state_->cur_sel == index) {
    state_->cur_sel = -1;
  } else if (state_->cur_sel > index) {
    --state_->cur_sel;
  }
  Changed(state_);
  return GetCount();
}

void CListControl::ResetContent() {
  if (!state_) return;
  while (GetCount() > 0) DeleteString(GetCount() - 1);
  state_->cur_sel = -1;
  state_->caret = -1;
}

int CListControl::FindItem(int start, std::string_view text, std::uintptr_t data) const {
  if (!state_) return -1;
  const int n = GetCount();
  auto* self = const_cast<CListControl*>(this);
  std::string key(text);
  for (int k = 0; k < n; ++k) {
    const int i = ((start < 0 ? -1 : start) + 1 + k) % n;
    const ListItem& row = state_->items[static_cast<std::size_t>(i)];
    if (HasStrings()) {
      if (row.text.size() >= key.size() &&
          CompareNoCase(row.text.substr(0, key.size()), key) == 0) {
        return i;
      }
    } else {
      COMPAREITEMSTRUCT c;
      c.CtlType = OwnerDrawType();
      c.CtlID = static_cast<UINT>(state_->id);
      c.hwndItem = self;
      c.itemID1 = -1;
      c.itemData1 = data;
      c.itemID2 = i;
      c.itemData2 = row.data;
      if (self->CompareItem(&c) == 0) return i;
    }
  }
  return -1;
}

int CListControl::SelectItem(int start, std::string_view text, std::uintptr_t data) {
  const int found = FindItem(start, text, data);
  if (found >= 0) SetCurSel(found);
  return found;
}

int CListControl::SetItemHeight(int height) {
  if (!state_ || height <= 0 || height > 255) return -1;
  state_->item_height = height;
  return 0;
}

void CListControl::PaintRow(CDC& dc, int index, UINT row_state, const CRect& rect) {
  DRAWITEMSTRUCT d;
  d.CtlType = OwnerDrawType();
  d.CtlID = state_ ? static_cast<UINT>(state_->id) : 0;
  d.itemID = index;
  d.itemAction = ODA_DRAWENTIRE;
  d.itemState = row_state;
  d.hwndItem = this;
  d.hDC = &dc;
  d.rcItem = rect;
  d.itemData = index >= 0 ? GetItemData(index) : 0;
  DrawItem(&d);
}

// --- List boxes ------------------------------------------------------------------

void CListBox::OnKeyDown(UINT key, UINT, UINT) {
  if (!state_ || GetCount() == 0) return;
  const int n = GetCount();
  const int page = std::max(1, state_->rect.Height() / std::max(1, state_->item_height) - 1);
  int sel = state_->cur_sel;
  switch (key) {
    case VK_UP:
      sel = sel < 0 ? 0 : std::max(0, sel - 1);
      break;
    case VK_DOWN:
      sel = sel < 0 ? 0 : std::min(n - 1, sel + 1);
      break;
    case VK_HOME:
      sel = 0;
      break;
    case VK_END:
      sel = n - 1;
      break;
    case VK_PRIOR:
      sel = std::max(0, (sel < 0 ? 0 : sel) - page);
      break;
    case VK_NEXT:
      sel = std::min(n - 1, (sel < 0 ? 0 : sel) + page);
      break;
    default:
      return;
  }
  if (sel == state_->cur_sel) return;
  SetCurSel(sel);
  if (state_->style & kStyleNotify) NotifyParent(*state_, LBN_SELCHANGE);
}

// --- Combo boxes -----------------------------------------------------------------

bool CComboBox::Create(std::uint64_t style, const CRect& rect, CWnd* parent, int id) {
  // The rectangle given is the box with its list open; closed, it is one row
  // high with its frame.
  CRect closed = rect;
  closed.bottom = closed.top + 21;
  if (!CreateState(WindowClass::kComboBox, "", style, closed, parent, id)) return false;
  state_->dropped_rect = rect;
  return true;
}

std::string CComboBox::GetLBText(int index) const {
  if (!state_ || index < 0 || index >= GetCount()) return {};
  return state_->items[static_cast<std::size_t>(index)].text;
}

void CComboBox::GetDroppedControlRect(CRect* rect) const {
  if (!state_) {
    *rect = {};
    return;
  }
  *rect = state_->dropped_rect;
  for (WindowState* p = state_->parent; p; p = p->parent)
    rect->OffsetRect(p->rect.left, p->rect.top);
}

void CComboBox::ShowDropDown(bool show) {
  if (!state_) return;
  state_->dropped = show;
  Changed(state_);
}

void CComboBox::LimitText(std::size_t max) {
  if (state_) state_->limit = max;
}

bool CComboBox::HasEditField() const {
  return state_ && (state_->style & kStyleDropDownList) == 0;
}

}  // namespace cdsetup::framework
