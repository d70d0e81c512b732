// cdsetup.exe started as Explorer starts a program, with no console and no
// standard handles: --ui console opens a console of its own, and what is
// typed into that console reaches the pages.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "support/installer_beside_tests.h"
#include "support/scoped_temp_dir.h"

namespace cdsetup {
namespace {

// Waits up to 30 s for `done`.
template <typename Done>
bool WaitFor(Done done) {
  for (int i = 0; i < 300; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return done();
}

void Type(HANDLE input, const std::wstring& keys) {
  for (wchar_t c : keys) {
    INPUT_RECORD records[2] = {};
    for (int i = 0; i < 2; ++i) {
      records[i].EventType = KEY_EVENT;
      records[i].Event.KeyEvent.bKeyDown = i == 0;
      records[i].Event.KeyEvent.wRepeatCount = 1;
      records[i].Event.KeyEvent.wVirtualKeyCode = c == L'\r' ? VK_RETURN : 0;
      records[i].Event.KeyEvent.uChar.UnicodeChar = c;
    }
    DWORD written = 0;
    WriteConsoleInputW(input, records, 2, &written);
  }
}

TEST(ProgramConsole, TheConsoleInterfaceOpensAConsoleOfItsOwnAndReadsIt) {
  const char* drive = std::getenv("CDSETUP_TEST_CD_DRIVE");
  ASSERT_TRUE(drive && *drive) << "CDSETUP_TEST_CD_DRIVE names the demo medium's drive";
  testing::ScopedTempDir dir;
  const std::string log = dir.path() + "\\console.log";
  std::wstring command = L"\"" + testing::InstallerBesideTests() + L"\" --ui console --medium " +
                         std::wstring(drive, drive + 2) + L"\\ --log \"" +
                         std::wstring(log.begin(), log.end()) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  // As Explorer starts it: no console and no handles to inherit.
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS,
                             nullptr, nullptr, &startup, &process));
  CloseHandle(process.hThread);
  const bool shown =
      WaitFor([&] { return testing::ReadFile(log).find("page 102 shown") != std::string::npos; });
  bool typed = false;
  if (shown) {
    // Type "2" (the main page's Exit) into the program's own console.
    FreeConsole();
    if (AttachConsole(process.dwProcessId)) {
      HANDLE input =
          CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, 0, nullptr);
      if (input != INVALID_HANDLE_VALUE) {
        Type(input, L"2\r");
        CloseHandle(input);
        typed = true;
      }
      FreeConsole();
    }
  }
  const bool ended = WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(process.hProcess, 99);
  DWORD status = 0;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hProcess);
  const std::string written = testing::ReadFile(log);
  EXPECT_TRUE(shown) << written;
  EXPECT_TRUE(typed) << "cannot reach the program's console";
  EXPECT_TRUE(ended);
  EXPECT_NE(written.find("typed: 2"), std::string::npos) << written;
  EXPECT_EQ(status, 1u) << written;  // left without installing
}

}  // namespace
}  // namespace cdsetup
