// Every header of ours compiles beside <windows.h>. The framework and the
// layers over it see it on Windows: here their headers are read after a
// stand-in that defines its macros as it does. (The layers below, which never
// see it, are held to the rule in windows_names_lower_test.cpp.)
#include <gtest/gtest.h>

#include <type_traits>
#include <utility>

#include "support/windows_stand_in.h"
#include "windows_names_aw.inc"
#include "windows_names_upper.inc"

namespace cdsetup::framework {
namespace {

// A page as a Windows build compiles it: the names are the macros' now.
class Probe : public CDialog {
 public:
  int Ask() { return MessageBox("text", "caption", MB_YESNO | MB_ICONQUESTION, 0); }
};

TEST(WindowsNames, TheFrameworksNamesAreTheMacrosOfWindowsWhereItIsSeen) {
  static_assert(IDOK == 1 && IDCANCEL == 2 && IDYES == 6 && IDNO == 7);
  static_assert(MB_YESNO == 4 && MB_ICONQUESTION == 0x20 && WM_TIMER == 0x113);
  EXPECT_EQ(RGB(1, 2, 3), 0x030201u);
  EXPECT_EQ(LOWORD(MAKEWPARAM(0x1234, 0x5678)), 0x1234u);
  // The method is declared and called by the one rewritten name. Only looked
  // at, not linked: the library was built without the macros.
  static_assert(std::is_same_v<decltype(&CWnd::MessageBoxA),
                               int (CWnd::*)(std::string_view, std::string_view, UINT, int)>);
  static_assert(std::is_same_v<decltype(std::declval<Probe&>().Ask()), int>);
}

}  // namespace
}  // namespace cdsetup::framework
