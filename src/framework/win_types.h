// The window system's small types and numbers, with the names and values the
// pages are written against. On Windows they are <windows.h>'s own macros,
// which this header includes, so every translation unit sees the same names;
// elsewhere they are defined here with the same values.
#pragma once

#include <cstdint>
#include <string>

#if defined(_WIN32) && !defined(CDSETUP_WINDOWS_NAMES)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#define CDSETUP_WINDOWS_NAMES 1
#endif

namespace cdsetup::framework {

using UINT = unsigned int;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using COLORREF = std::uint32_t;  // 0x00BBGGRR

#if !defined(CDSETUP_WINDOWS_NAMES)
constexpr COLORREF RGB(int r, int g, int b) {
  return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
#endif

struct CPoint {
  int x = 0, y = 0;
  bool operator==(const CPoint&) const = default;
};

struct CSize {
  int cx = 0, cy = 0;
  bool operator==(const CSize&) const = default;
};

struct CRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  void OffsetRect(int dx, int dy) {
    left += dx;
    right += dx;
    top += dy;
    bottom += dy;
  }
  bool operator==(const CRect&) const = default;
};

#if !defined(CDSETUP_WINDOWS_NAMES)
// Modal results and message box answers.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// Message box types: buttons in the low nibble, icon in the next, default
// button in the one after.
inline constexpr UINT MB_OK = 0x0;
inline constexpr UINT MB_OKCANCEL = 0x1;
inline constexpr UINT MB_YESNO = 0x4;
inline constexpr UINT MB_RETRYCANCEL = 0x5;
inline constexpr UINT MB_TYPEMASK = 0xF;
inline constexpr UINT MB_ICONSTOP = 0x10;  // also MB_ICONERROR, MB_ICONHAND
inline constexpr UINT MB_ICONERROR = 0x10;
inline constexpr UINT MB_ICONQUESTION = 0x20;
inline constexpr UINT MB_ICONEXCLAMATION = 0x30;
inline constexpr UINT MB_ICONINFORMATION = 0x40;
inline constexpr UINT MB_ICONMASK = 0xF0;
inline constexpr UINT MB_DEFBUTTON1 = 0x000;
inline constexpr UINT MB_DEFBUTTON2 = 0x100;
inline constexpr UINT MB_DEFMASK = 0xF00;

// Messages the core dispatches.
inline constexpr UINT WM_CREATE = 0x0001;
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr UINT WM_USER = 0x0400;

// Notification codes.
inline constexpr UINT BN_CLICKED = 0;
inline constexpr UINT LBN_SELCHANGE = 1;
inline constexpr UINT LBN_DBLCLK = 2;
inline constexpr UINT CBN_SELCHANGE = 1;
inline constexpr UINT CBN_DROPDOWN = 7;
inline constexpr UINT CBN_CLOSEUP = 8;
inline constexpr UINT CBN_SELENDOK = 9;
inline constexpr UINT CBN_SELENDCANCEL = 10;
inline constexpr UINT EN_CHANGE = 0x0300;

// Keys.
inline constexpr UINT VK_TAB = 9;
inline constexpr UINT VK_RETURN = 13;
inline constexpr UINT VK_ESCAPE = 27;
inline constexpr UINT VK_PRIOR = 33;
inline constexpr UINT VK_NEXT = 34;
inline constexpr UINT VK_END = 35;
inline constexpr UINT VK_HOME = 36;
inline constexpr UINT VK_LEFT = 37;
inline constexpr UINT VK_UP = 38;
inline constexpr UINT VK_RIGHT = 39;
inline constexpr UINT VK_DOWN = 40;

// Keyboard-interface answers.
inline constexpr UINT DLGC_WANTARROWS = 0x0001;
inline constexpr UINT DLGC_WANTTAB = 0x0002;
inline constexpr UINT DLGC_WANTALLKEYS = 0x0004;
inline constexpr UINT DLGC_WANTCHARS = 0x0080;

// Show states.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_RESTORE = 9;

// Owner-drawn rows.
inline constexpr UINT ODA_DRAWENTIRE = 1;
inline constexpr UINT ODA_SELECT = 2;
inline constexpr UINT ODA_FOCUS = 4;
inline constexpr UINT ODS_SELECTED = 0x0001;
inline constexpr UINT ODS_DISABLED = 0x0004;
inline constexpr UINT ODS_FOCUS = 0x0010;
inline constexpr UINT ODS_COMBOBOXEDIT = 0x1000;

// System colours the rows use.
inline constexpr int COLOR_WINDOW = 5;
inline constexpr int COLOR_WINDOWTEXT = 8;
inline constexpr int COLOR_HIGHLIGHT = 13;
inline constexpr int COLOR_HIGHLIGHTTEXT = 14;
#endif
COLORREF GetSysColor(int index);

#if !defined(CDSETUP_WINDOWS_NAMES)
// List answers.
inline constexpr int LB_ERR = -1;
inline constexpr int CB_ERR = -1;

constexpr UINT LOWORD(WPARAM w) {
  return static_cast<UINT>(w & 0xFFFF);
}
constexpr UINT HIWORD(WPARAM w) {
  return static_cast<UINT>((w >> 16) & 0xFFFF);
}
constexpr WPARAM MAKEWPARAM(UINT lo, UINT hi) {
  return static_cast<WPARAM>((lo & 0xFFFF) | ((hi & 0xFFFF) << 16));
}
#endif

class CDC;
class CWnd;

struct DRAWITEMSTRUCT {
  UINT CtlType = 0;
  UINT CtlID = 0;
  int itemID = -1;
  UINT itemAction = ODA_DRAWENTIRE;
  UINT itemState = 0;
  CWnd* hwndItem = nullptr;
  CDC* hDC = nullptr;
  CRect rcItem;
  std::uintptr_t itemData = 0;
};
using LPDRAWITEMSTRUCT = DRAWITEMSTRUCT*;

struct MEASUREITEMSTRUCT {
  UINT CtlType = 0;
  UINT CtlID = 0;
  int itemID = -1;
  UINT itemWidth = 0;
  UINT itemHeight = 0;
  std::uintptr_t itemData = 0;
};
using LPMEASUREITEMSTRUCT = MEASUREITEMSTRUCT*;

struct COMPAREITEMSTRUCT {
  UINT CtlType = 0;
  UINT CtlID = 0;
  CWnd* hwndItem = nullptr;
  int itemID1 = -1;
  std::uintptr_t itemData1 = 0;
  int itemID2 = -1;
  std::uintptr_t itemData2 = 0;
};
using LPCOMPAREITEMSTRUCT = COMPAREITEMSTRUCT*;

struct DELETEITEMSTRUCT {
  UINT CtlType = 0;
  UINT CtlID = 0;
  int itemID = -1;
  CWnd* hwndItem = nullptr;
  std::uintptr_t itemData = 0;
};
using LPDELETEITEMSTRUCT = DELETEITEMSTRUCT*;

#if !defined(CDSETUP_WINDOWS_NAMES)
inline constexpr UINT ODT_LISTBOX = 2;
inline constexpr UINT ODT_COMBOBOX = 3;
#endif

}  // namespace cdsetup::framework
