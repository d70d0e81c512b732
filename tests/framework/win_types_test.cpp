// The framework's constants hold the values <windows.h> gives the same names,
// so that the pages mean the same on both platforms.
#include "framework/win_types.h"

#include <gtest/gtest.h>

#include "framework/dc.h"
#include "support/windows_constants.h"

namespace cdsetup::testing {

NamedValues FrameworkValues() {
  using namespace framework;
#define CDSETUP_VALUE(name) {#name, static_cast<long long>(name)},
  return {CDSETUP_WINDOWS_CONSTANTS(CDSETUP_VALUE){"RGB", static_cast<long long>(RGB(1, 2, 3))},
          {"LOWORD", LOWORD(0x56781234)},
          {"HIWORD", HIWORD(0x56781234)},
          {"MAKEWPARAM", static_cast<long long>(MAKEWPARAM(0x1234, 0x5678))}};
#undef CDSETUP_VALUE
}

namespace {

TEST(WinTypes, EveryConstantHasTheValueWindowsGivesIt) {
  const NamedValues ours = FrameworkValues();
  const NamedValues windows = WindowsValues();
  ASSERT_EQ(ours.size(), windows.size());
  for (const auto& [name, value] : windows) {
    auto it = ours.find(name);
    ASSERT_NE(it, ours.end()) << name;
    EXPECT_EQ(it->second, value) << name;
  }
}

}  // namespace
}  // namespace cdsetup::testing
