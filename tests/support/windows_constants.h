// The framework's constants that <windows.h> defines too, as one list, and
// the values they have where the stand-in for <windows.h> is seen
// (tests/base/windows_names_test.cpp) and where it is not, so that a test
// can hold ours to the system's.
#pragma once

#include <map>
#include <string>

// X(name) for each constant; kept in step with framework/win_types.h and dc.h.
// clang-format off
#define CDSETUP_WINDOWS_CONSTANTS(X) \
  X(IDOK) X(IDCANCEL) X(IDABORT) X(IDRETRY) X(IDIGNORE) X(IDYES) X(IDNO) X(MB_OK) \
  X(MB_OKCANCEL) X(MB_YESNO) X(MB_RETRYCANCEL) X(MB_TYPEMASK) X(MB_ICONSTOP) X(MB_ICONERROR) \
  X(MB_ICONQUESTION) X(MB_ICONEXCLAMATION) X(MB_ICONINFORMATION) X(MB_ICONMASK) \
  X(MB_DEFBUTTON1) X(MB_DEFBUTTON2) X(MB_DEFMASK) X(WM_CREATE) X(WM_DESTROY) X(WM_PAINT) \
  X(WM_CLOSE) X(WM_KEYDOWN) X(WM_COMMAND) X(WM_TIMER) X(WM_USER) X(BN_CLICKED) \
  X(LBN_SELCHANGE) X(LBN_DBLCLK) X(CBN_SELCHANGE) X(CBN_DROPDOWN) X(CBN_CLOSEUP) \
  X(CBN_SELENDOK) X(CBN_SELENDCANCEL) X(EN_CHANGE) X(VK_TAB) X(VK_RETURN) X(VK_ESCAPE) \
  X(VK_PRIOR) X(VK_NEXT) X(VK_END) X(VK_HOME) X(VK_LEFT) X(VK_UP) X(VK_RIGHT) X(VK_DOWN) X(DLGC_WANTARROWS) \
  X(DLGC_WANTTAB) X(DLGC_WANTALLKEYS) X(DLGC_WANTCHARS) X(SW_HIDE) X(SW_SHOWNORMAL) \
  X(SW_SHOWMINIMIZED) X(SW_SHOW) X(SW_MINIMIZE) X(SW_RESTORE) X(ODA_DRAWENTIRE) \
  X(ODA_SELECT) X(ODA_FOCUS) X(ODS_SELECTED) X(ODS_DISABLED) X(ODS_FOCUS) \
  X(ODS_COMBOBOXEDIT) X(COLOR_WINDOW) X(COLOR_WINDOWTEXT) X(COLOR_HIGHLIGHT) \
  X(COLOR_HIGHLIGHTTEXT) X(LB_ERR) X(CB_ERR) X(ODT_LISTBOX) X(ODT_COMBOBOX) X(TRANSPARENT) \
  X(OPAQUE) X(TA_LEFT) X(TA_TOP)
// clang-format on

namespace cdsetup::testing {

/// Each constant's value, and those of RGB, LOWORD, HIWORD and MAKEWPARAM on
/// fixed arguments, by name.
using NamedValues = std::map<std::string, long long>;
/// As the stand-in for <windows.h> defines them.
NamedValues WindowsValues();
/// As the framework defines them where <windows.h> is not seen.
NamedValues FrameworkValues();

}  // namespace cdsetup::testing
