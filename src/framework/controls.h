// The controls the pages use. Their state is the window's; these objects
// give it the system's operations and the owner-draw hooks.
#pragma once

#include <string>
#include <string_view>

#include "framework/wnd.h"

namespace cdsetup::framework {

class CButton : public CWnd {
 public:
  bool Create(std::string_view text, std::uint64_t style, const CRect& rect, CWnd* parent, int id) {
    return CreateState(WindowClass::kButton, text, style, rect, parent, id);
  }
  int GetCheck() const { return state_ ? state_->check : 0; }
};

class CStatic : public CWnd {
 public:
  bool Create(std::string_view text, std::uint64_t style, const CRect& rect, CWnd* parent, int id) {
    return CreateState(WindowClass::kStatic, text, style, rect, parent, id);
  }
};

class CEdit : public CWnd {
 public:
  bool Create(std::uint64_t style, const CRect& rect, CWnd* parent, int id) {
    return CreateState(WindowClass::kEdit, "", style, rect, parent, id);
  }
  /// Typing stops at `max` characters (0: the system's own bound); texts set
  /// by the program are not cut.
  void LimitText(std::size_t max);
  std::size_t GetLimitText() const;
  void SetSel(std::size_t start, std::size_t end);
};

class CProgressCtrl : public CWnd {
 public:
  bool Create(std::uint64_t style, const CRect& rect, CWnd* parent, int id) {
    return CreateState(WindowClass::kProgress, "", style, rect, parent, id);
  }
  /// The upper bound is a 16-bit value, as the original range message takes.
  void SetRange(int lower, int upper);
  void GetRange(int& lower, int& upper) const;
  int SetPos(int pos);
  int GetPos() const;
};

/// Row operations shared by list boxes and combo boxes.
class CListControl : public CWnd {
 public:
  int GetCount() const;
  int GetCurSel() const;
  int SetCurSel(int index);
  std::uintptr_t GetItemData(int index) const;
  int SetItemData(int index, std::uintptr_t data);
  /// Adds a row: by its text, or for rows without texts by its item data;
  /// a sorted list inserts it in order, others at the end. The row's index,
  /// or -1.
  int AddString(std::string_view text);
  int AddItemData(std::uintptr_t data);
  int InsertString(int index, std::string_view text);
  /// Removes a row; owner-drawn rows are handed to DeleteItem first.
  int DeleteString(int index);
  void ResetContent();
  /// The first row from `start` + 1 on (wrapping) that compares equal to
  /// `data` through CompareItem, or to the text by its beginning.
  int FindItem(int start, std::string_view text, std::uintptr_t data) const;
  int SelectItem(int start, std::string_view text, std::uintptr_t data);
  int SetItemHeight(int height);
  bool OwnerDrawn() const;
  bool HasStrings() const;

  // The owner-draw hooks.
  virtual void DrawItem(LPDRAWITEMSTRUCT item) { (void)item; }
  virtual void MeasureItem(LPMEASUREITEMSTRUCT item) { (void)item; }
  virtual int CompareItem(LPCOMPAREITEMSTRUCT item);
  virtual void DeleteItem(LPDELETEITEMSTRUCT item) { (void)item; }

  /// Paints row `index` into `dc` through DrawItem, as the system asks an
  /// owner-drawn list to.
  void PaintRow(CDC& dc, int index, UINT state, const CRect& rect);

 protected:
  virtual UINT OwnerDrawType() const = 0;
  int Insert(int index, ListItem item, bool sorted);
};

class CListBox : public CListControl {
 public:
  bool Create(std::uint64_t style, const CRect& rect, CWnd* parent, int id) {
    return CreateState(WindowClass::kListBox, "", style, rect, parent, id);
  }
  /// Arrow, page, Home and End keys move the selection, as the system's list does.
  void OnKeyDown(UINT key, UINT repeat, UINT flags) override;
  UINT OnGetDlgCode() override { return DLGC_WANTARROWS | DLGC_WANTCHARS; }

 protected:
  UINT OwnerDrawType() const override { return ODT_LISTBOX; }
};

class CComboBox : public CListControl {
 public:
  bool Create(std::uint64_t style, const CRect& rect, CWnd* parent, int id);
  std::string GetLBText(int index) const;
  /// The combo box with its list open, in screen coordinates.
  void GetDroppedControlRect(CRect* rect) const;
  void ShowDropDown(bool show = true);
  void LimitText(std::size_t max);
  bool HasEditField() const;

 protected:
  UINT OwnerDrawType() const override { return ODT_COMBOBOX; }
};

}  // namespace cdsetup::framework
