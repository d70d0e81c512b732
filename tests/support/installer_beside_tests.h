// cdsetup.exe as the Windows build lays it out: beside the test binary. The
// tests that start it or read its resources find it here.
#pragma once

#include <windows.h>

#include <string>

namespace cdsetup::testing {

inline std::wstring InstallerBesideTests() {
  wchar_t self[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self, n);
  return path.substr(0, path.find_last_of(L"\\/") + 1) + L"cdsetup.exe";
}

}  // namespace cdsetup::testing
