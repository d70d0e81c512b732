// Every header of ours compiles beside <windows.h>. The framework and the
// layers over it see it on Windows: here their headers are read after a
// stand-in that defines its macros as it does. (The layers below, which never
// see it, are held to the rule in windows_names_lower_test.cpp.)
#include <type_traits>
#include <utility>

#include "support/windows_constants.h"

// The stand-in before every header of ours, as <windows.h> would be.
#include "support/windows_stand_in.h"
#include "windows_names_aw.inc"
#include "windows_names_upper.inc"

namespace cdsetup::testing {

NamedValues WindowsValues() {
#define CDSETUP_VALUE(name) {#name, static_cast<long long>(name)},
  return {CDSETUP_WINDOWS_CONSTANTS(CDSETUP_VALUE){"RGB", static_cast<long long>(RGB(1, 2, 3))},
          {"LOWORD", LOWORD(0x56781234)},
          {"HIWORD", HIWORD(0x56781234)},
          {"MAKEWPARAM", static_cast<long long>(MAKEWPARAM(0x1234, 0x5678))}};
#undef CDSETUP_VALUE
}

}  // namespace cdsetup::testing

namespace cdsetup::framework {
namespace {

// A page as a Windows build compiles it: the method is declared and called by
// the one rewritten name. Only looked at, not linked: the library was built
// without the macros.
class Probe : public CDialog {
 public:
  int Ask() { return MessageBox("text", "caption", MB_YESNO | MB_ICONQUESTION, 0); }
};
static_assert(std::is_same_v<decltype(&CWnd::MessageBoxA),
                             int (CWnd::*)(std::string_view, std::string_view, UINT, int)>);
static_assert(std::is_same_v<decltype(std::declval<Probe&>().Ask()), int>);

}  // namespace
}  // namespace cdsetup::framework
