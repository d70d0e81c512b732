#include "ui/win32/box_fit.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace cdsetup::ui::win32 {

namespace {

thread_local BoxFit* g_fit = nullptr;

// The caption's width in the system's caption font.
int CaptionTextWidth(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring caption(static_cast<std::size_t>(length) + 1, L'\0');
  caption.resize(static_cast<std::size_t>(GetWindowTextW(window, caption.data(), length + 1)));
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (caption.empty() ||
      !SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    return 0;
  }
  HFONT font = CreateFontIndirectW(&metrics.lfCaptionFont);
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  DeleteObject(font);
  return size.cx;
}

bool UnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

void Widen(HWND box) {
  RECT frame{};
  GetWindowRect(box, &frame);
  const int width = frame.right - frame.left;
  int text = CaptionTextWidth(box);
  // Under Wine the desktop's window manager draws the caption, in a font of
  // its own that is mostly larger than the system's caption font.
  if (UnderWine()) text = text * 3 / 2;
  // Beside the text: the window's icon, its buttons and the frame.
  int need = text + 5 * GetSystemMetrics(SM_CYCAPTION);
  RECT work{};
  if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
    need = std::min<int>(need, (work.right - work.left) / 2);
  }
  if (need <= width) return;
  const int shift = (need - width) / 2;
  SetWindowPos(box, nullptr, frame.left - shift, frame.top, need, frame.bottom - frame.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&r), 2);
    SetWindowPos(child, nullptr, r.left + shift, r.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

}  // namespace

BoxFit::BoxFit(bool topmost) : topmost_(topmost), outer_(g_fit) {
  hook_ = SetWindowsHookExW(WH_CALLWNDPROCRET, &BoxFit::OnWindow, nullptr, GetCurrentThreadId());
  g_fit = this;
}

BoxFit::~BoxFit() {
  g_fit = outer_;
  if (hook_) UnhookWindowsHookEx(hook_);
}

// The box is laid out when its WM_INITDIALOG returns, and on the screen once
// shown.
LRESULT CALLBACK BoxFit::OnWindow(int code, WPARAM wparam, LPARAM lparam) {
  BoxFit* fit = g_fit;
  const auto* message = reinterpret_cast<const CWPRETSTRUCT*>(lparam);
  if (code == HC_ACTION && fit && message) {
    if (message->message == WM_INITDIALOG && !fit->box_) {
      wchar_t name[8] = {};
      GetClassNameW(message->hwnd, name, 8);
      if (std::wstring_view(name) == L"#32770") {
        fit->box_ = message->hwnd;
        Widen(fit->box_);
      }
    } else if (message->message == WM_WINDOWPOSCHANGED && message->hwnd == fit->box_ &&
               fit->topmost_ &&
               (reinterpret_cast<const WINDOWPOS*>(message->lParam)->flags & SWP_SHOWWINDOW)) {
      // Wine's boxes ignore MB_TOPMOST; once the box is on the screen, the
      // window manager learns of its place above the others too.
      SetWindowPos(fit->box_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

}  // namespace cdsetup::ui::win32
