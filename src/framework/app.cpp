#include "framework/app.h"

#include "framework/window_manager.h"

namespace cdsetup::framework {
namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp(std::string app_name) : app_name_(std::move(app_name)) {
  g_app = this;
}

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

CWinApp* AfxGetApp() {
  return g_app;
}

int AfxMessageBox(std::string_view text, UINT type, int id) {
  MessageBoxRequest request;
  request.owner =
      g_app && g_app->m_pMainWnd && g_app->m_pMainWnd->IsWindow() ? g_app->m_pMainWnd : nullptr;
  request.text = std::string(text);
  request.caption = g_app ? g_app->app_name() : std::string();
  request.type = type;
  request.id = id;
  return WindowManager::Get().AskMessageBox(request);
}

int DesktopMessageBox(std::string_view text, std::string_view caption, UINT type, int id) {
  MessageBoxRequest request{nullptr, std::string(text), std::string(caption), type, id};
  return WindowManager::Get().AskMessageBox(request);
}

}  // namespace cdsetup::framework
