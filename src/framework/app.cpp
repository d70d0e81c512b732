#include "framework/app.h"

#include "framework/window_manager.h"

namespace cdsetup::framework {

CWinApp::CWinApp(std::string app_name, WindowManager& windows)
    : m_strAppName(std::move(app_name)), m_windows(windows) {
  m_windows.SetApplication(this);
}

CWinApp::~CWinApp() {
  if (m_windows.application() == this) m_windows.SetApplication(nullptr);
}

int AfxMessageBox(WindowManager& windows, std::string_view text, UINT type, int id) {
  const CWinApp* app = windows.application();
  MessageBoxRequest request;
  request.owner = app && app->m_pMainWnd && app->m_pMainWnd->IsWindow() ? app->m_pMainWnd : nullptr;
  request.text = std::string(text);
  request.caption = app ? app->app_name() : std::string();
  request.type = type;
  request.id = id;
  return windows.AskMessageBox(request);
}

int DesktopMessageBox(WindowManager& windows, std::string_view text, std::string_view caption,
                      UINT type, int id) {
  MessageBoxRequest request{nullptr, std::string(text), std::string(caption), type, id};
  return windows.AskMessageBox(request);
}

}  // namespace cdsetup::framework
