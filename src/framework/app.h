// The application object: its name (the installer's file name without its
// extension), its main window, and the application's message box.
#pragma once

#include <string>
#include <string_view>

#include "framework/wnd.h"
#include "resources/resource_ids.h"

namespace cdsetup::framework {

class WindowManager;

class CWinApp {
 public:
  /// Registers itself with `windows` for AfxMessageBox until destroyed.
  CWinApp(std::string app_name, WindowManager& windows);
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  /// Runs the application; false ends the process once it returns.
  virtual bool InitInstance() { return true; }
  const std::string& app_name() const { return m_strAppName; }
  WindowManager& windows() const { return m_windows; }

  CWnd* m_pMainWnd = nullptr;

 private:
  std::string m_strAppName;
  WindowManager& m_windows;
};

/// A message box captioned with the name of the application `windows` runs,
/// owned by its main window when there is one, else by the desktop's topmost
/// window.
int AfxMessageBox(WindowManager& windows, std::string_view text, UINT type, int id);

/// A message box owned by the desktop's topmost window.
int DesktopMessageBox(WindowManager& windows, std::string_view text, std::string_view caption,
                      UINT type, int id);

}  // namespace cdsetup::framework
