#include "ui/win32/win32_backend.h"

#include <commctrl.h>

#include <algorithm>

#include "framework/window_manager.h"
#include "resources/resource_ids.h"
#include "ui/win32/box_fit.h"
#include "ui/win32/dialog_template_builder.h"
#include "ui/win32/wide_text.h"
#include "ui/win32/win32_dialog.h"

namespace cdsetup::ui::win32 {

namespace {

// The timer of a dialog's window that delivers the core's messages.
constexpr UINT_PTR kPumpTimer = 0xCD5E;
// Posted to a dialog after the dialog manager moved the focus (Tab, the
// arrow keys), to tell the core where it went.
constexpr UINT kFocusMoved = WM_APP + 0x1D;
// A change made by a handler arms no timer of ours: look again this soon.
constexpr std::uint64_t kIdleMs = 50;
// The dialog whose window the dialog manager is making: its owner-drawn
// controls are measured before WM_INITDIALOG.
thread_local Win32Dialog* g_starting = nullptr;

}  // namespace

Win32Backend::Win32Backend(Win32Options options) : o_(std::move(options)) {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
}

Win32Backend::~Win32Backend() {
  for (auto& [key, font] : fonts_) DeleteObject(font);
}

void Win32Backend::Log(const std::string& line) const {
  base::WriteTo(o_.log, line);
}

HFONT Win32Backend::FontFor(const fw::CFont& font) {
  const auto key = std::make_pair(font.name, font.points);
  if (auto it = fonts_.find(key); it != fonts_.end()) return it->second;
  const int height = -MulDiv(font.points, Dpi(), 72);
  HFONT f = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_DONTCARE, font.name.c_str());
  fonts_[key] = f;
  return f;
}

std::wstring Win32Backend::Wide(std::string_view text) const {
  return Widen(text, CodePage());
}

fw::CSize Win32Backend::MeasureText(const fw::CFont& font, const std::string& text) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, FontFor(font));
  SIZE size{};
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  const std::wstring wide = Wide(text);
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return {size.cx, std::max<int>(size.cy, tm.tmHeight)};
}

int Win32Backend::Dpi() {
  if (dpi_ > 0) return dpi_;
  // The density the fonts are made for, so that pictures and text agree.
  HDC screen = GetDC(nullptr);
  dpi_ = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  if (dpi_ <= 0) dpi_ = 96;
  return dpi_;
}

fw::CSize Win32Backend::DialogBaseUnits() {
  if (base_.cx > 0) return base_;
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, FontFor(o_.template_font));
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE size{};
  GetTextExtentPoint32A(dc, kLetters, 52, &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  // The dialog manager's rounding of the average width.
  base_ = {std::max<int>(1, (size.cx / 26 + 1) / 2), std::max<int>(1, tm.tmHeight)};
  return base_;
}

Win32Dialog* Win32Backend::FindDialog(const fw::WindowState& window) const {
  const fw::WindowState* top = &window;
  while (top->parent) top = top->parent;
  for (Win32Dialog* d : frames_) {
    if (d->dialog().state() == top) return d;
  }
  return nullptr;
}

HWND Win32Backend::WindowOf(const fw::WindowState* state) const {
  for (Win32Dialog* d : frames_) {
    if (d->dialog().state() == state) return d->hwnd();
  }
  return nullptr;
}

void Win32Backend::WindowChanged(fw::WindowState& window) {
  Win32Dialog* d = FindDialog(window);
  if (!d || !d->hwnd()) return;  // not shown yet: it is built whole when its loop starts
  if (&window == d->dialog().state()) {
    d->SyncAll();
  } else {
    d->SyncControl(window);
  }
}

void Win32Backend::WindowDestroyed(fw::WindowState& window) {
  if (window.parent == nullptr) return;  // a dialog: its window went with its loop
  if (Win32Dialog* d = FindDialog(window)) d->RemoveControl(window);
}

void Win32Backend::CheckFrames() {
  for (Win32Dialog* d : frames_) {
    fw::WindowState* s = d->dialog().state();
    if (d->hwnd() && (!s || s->end_modal)) {
      EndDialog(d->hwnd(), s ? s->modal_result : IDCANCEL);
      d->Detach();
    }
  }
}

void Win32Backend::Schedule() {
  if (frames_.empty() || !frames_.back()->hwnd()) return;
  const fw::WindowManager& wm = *frames_.back()->dialog().windows();
  const std::uint64_t delay = wm.MsUntilNextMessage(kIdleMs);
  SetTimer(frames_.back()->hwnd(), kPumpTimer, static_cast<UINT>(std::max<std::uint64_t>(delay, 1)),
           nullptr);
}

void Win32Backend::Pump(Win32Dialog& dialog) {
  // Only the innermost dialog's timer delivers.
  if (!frames_.empty() && frames_.back() == &dialog &&
      dialog.dialog().windows()->PumpPendingForLoop(static_cast<int>(frames_.size()) - 1)) {
    // What the handlers changed was shown as they changed it; a whole sync
    // here would also undo a person's choice the core has not been told of.
    CheckFrames();
  }
  Schedule();
}

void Win32Backend::AfterInput() {
  CheckFrames();
  // Input changes the state without telling (a radio group, a typed text).
  for (Win32Dialog* d : frames_) d->SyncAll();
  Schedule();
}

INT_PTR CALLBACK Win32Backend::DialogProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto* d = reinterpret_cast<Win32Dialog*>(lparam);
    SetWindowLongPtrW(hwnd, DWLP_USER, lparam);
    d->Attach(hwnd);
    d->host().Schedule();
    return FALSE;  // the focus is the core's, set by the sync
  }
  auto* d = reinterpret_cast<Win32Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  if (message == WM_MEASUREITEM) {
    Win32Dialog* measured = d ? d : g_starting;
    return measured && measured->MeasureItem(*reinterpret_cast<::MEASUREITEMSTRUCT*>(lparam));
  }
  if (!d || d->hwnd() != hwnd) return FALSE;
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      HDC dc = BeginPaint(hwnd, &paint);
      d->Paint(dc);
      EndPaint(hwnd, &paint);
      return TRUE;
    }
    case WM_PRINTCLIENT:
      if (lparam & PRF_ERASEBKGND) SendMessageA(hwnd, WM_ERASEBKGND, wparam, 0);
      d->Paint(reinterpret_cast<HDC>(wparam));
      return TRUE;
    case WM_DRAWITEM:
      return d->DrawItem(*reinterpret_cast<const ::DRAWITEMSTRUCT*>(lparam)) ? TRUE : FALSE;
    case WM_COMMAND:
      return d->OnCommand(wparam, lparam) ? TRUE : FALSE;
    case WM_SIZE:
      d->OnSize(wparam);
      return FALSE;
    case WM_CLOSE:
      d->OnClose();
      return TRUE;
    case WM_NEXTDLGCTL:
      PostMessageA(hwnd, kFocusMoved, 0, 0);
      return FALSE;  // the dialog manager moves it
    case kFocusMoved:
      d->OnFocus(GetFocus());
      return TRUE;
    case WM_DPICHANGED: {
      // Moved to a screen of another density: the window takes the size
      // the system proposes, and its pictures and rows are drawn anew.
      const RECT* proposed = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(hwnd, nullptr, proposed->left, proposed->top, proposed->right - proposed->left,
                   proposed->bottom - proposed->top, SWP_NOZORDER | SWP_NOACTIVATE);
      InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
    }
    case WM_TIMER:
      if (wparam != kPumpTimer) return FALSE;
      KillTimer(hwnd, kPumpTimer);
      d->host().Pump(*d);
      return TRUE;
    default:
      return FALSE;
  }
}

void Win32Backend::RunModalLoop(fw::CDialog& dialog) {
  fw::WindowState* state = dialog.state();
  Log("page " + std::to_string(dialog.template_id()) + " shown: " + dialog.GetWindowText());
  const std::vector<std::uint32_t> tmpl = DialogTemplateBuilder(DialogBaseUnits()).Build(*state);
  Win32Dialog window(*this, dialog);
  // No dialog owns another (a page stays up while the main dialog is
  // minimised); the outer ones wait disabled instead.
  std::vector<HWND> outer;
  for (Win32Dialog* d : frames_) {
    if (d->hwnd() && IsWindowEnabled(d->hwnd())) {
      EnableWindow(d->hwnd(), FALSE);
      outer.push_back(d->hwnd());
    }
  }
  frames_.push_back(&window);
  Win32Dialog* const outer_starting = g_starting;
  g_starting = &window;
  // Unicode windows, so that the texts keep their letters whatever the
  // system's code page.
  const INT_PTR result = DialogBoxIndirectParamW(
      GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(tmpl.data()), nullptr,
      DialogProc, reinterpret_cast<LPARAM>(&window));
  g_starting = outer_starting;
  frames_.pop_back();
  for (HWND w : outer) EnableWindow(w, TRUE);
  if (!frames_.empty()) Schedule();
  if (result == -1) {
    dialog.windows()->Diagnose("the system could not show dialog " +
                               std::to_string(dialog.template_id()));
  }
  // The loop ended without the core's end (the system refused the dialog):
  // as by its close box, so that the caller sees a cancel.
  if (dialog.state() && !dialog.state()->end_modal) dialog.EndDialog(IDCANCEL);
}

int Win32Backend::MessageBox(const fw::MessageBoxRequest& request) {
  HWND owner = nullptr;
  if (request.owner && request.owner->state()) {
    const fw::WindowState* top = request.owner->state();
    while (top->parent) top = top->parent;
    HWND w = WindowOf(top);
    if (w && IsWindowVisible(w) && !IsIconic(w)) owner = w;
  }
  UINT type = request.type;
  // The install waits for the answer, and the program or folder window
  // started just before must not hide the question.
  if (!owner) type |= MB_TASKMODAL | MB_TOPMOST | MB_SETFOREGROUND;
  const std::wstring text = Wide(request.text), caption = Wide(request.caption);
  MSGBOXPARAMSW box{};
  box.cbSize = sizeof(box);
  box.hwndOwner = owner;
  box.lpszText = text.c_str();
  box.lpszCaption = caption.c_str();
  box.dwStyle = type;
  box.dwLanguageId = language_;
  BoxFit fit(owner == nullptr);
  int answer = MessageBoxIndirectW(&box);
  if (answer == 0 && language_ != 0) {
    // The system has no buttons in that language: its own.
    box.dwLanguageId = 0;
    answer = MessageBoxIndirectW(&box);
  }
  if (!request.Offers(answer)) answer = request.CancelAnswer();
  Log("message " + std::string(resources::MessageName(request.id)) + " " + request.caption + ": " +
      request.text + " -> " + fw::MessageBoxRequest::AnswerName(answer));
  return answer;
}

}  // namespace cdsetup::ui::win32
