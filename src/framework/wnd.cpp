#include "framework/wnd.h"

#include <algorithm>

#include "framework/controls.h"
#include "framework/window_manager.h"

namespace cdsetup::framework {
namespace {

WindowState* TopLevelOf(WindowState* w) {
  while (w && w->parent) w = w->parent;
  return w;
}

void Changed(WindowState* w) {
  if (!w) return;
  ++w->generation;
  if (UiBackend* b = w->manager->backend()) b->WindowChanged(*w);
}

// A plain object of the control's own class, so that GetDlgItem gives what
// the caller may cast to.
std::unique_ptr<CWnd> MakeWrapper(WindowClass cls) {
  switch (cls) {
    case WindowClass::kButton:
      return std::make_unique<CButton>();
    case WindowClass::kStatic:
      return std::make_unique<CStatic>();
    case WindowClass::kEdit:
      return std::make_unique<CEdit>();
    case WindowClass::kComboBox:
      return std::make_unique<CComboBox>();
    case WindowClass::kListBox:
      return std::make_unique<CListBox>();
    case WindowClass::kProgress:
      return std::make_unique<CProgressCtrl>();
    case WindowClass::kDialog:
      break;
  }
  return std::make_unique<CWnd>();
}

}  // namespace

CWnd::~CWnd() {
  if (state_ && windows_ && windows_->Alive(state_)) {
    WindowState* s = state_;
    s->wnd = nullptr;  // no messages to an object being destroyed
    state_ = nullptr;
    windows_->Destroy(s);
  }
}

bool CWnd::CreateState(WindowClass cls, std::string_view text, std::uint64_t style,
                       const CRect& rect, CWnd* parent, int id) {
  if (state_) return false;
  if (parent && !parent->state_) return false;
  if (parent) windows_ = parent->windows_;
  if (!windows_) return false;
  WindowManager& wm = *windows_;
  WindowState* s = wm.Create(cls, this, parent ? parent->state_ : nullptr);
  s->text = std::string(text);
  s->style = style;
  s->rect = rect;
  s->id = id;
  s->enabled = (style & kStyleDisabled) == 0;
  s->visible = (style & kStyleHidden) == 0;
  if (parent) s->font = parent->state_->font;
  state_ = s;
  if (WindowProc(WM_CREATE, 0, 0) == -1) {
    wm.Destroy(s);
    state_ = nullptr;
    return false;
  }
  Changed(s);
  return true;
}

void CWnd::SetWindowText(std::string_view text) {
  if (!state_) return;
  state_->text = std::string(text);
  Changed(state_);
}

std::string CWnd::GetWindowText() const {
  return state_ ? state_->text : std::string();
}

int CWnd::GetWindowTextLength() const {
  return state_ ? static_cast<int>(state_->text.size()) : 0;
}

bool CWnd::ShowWindow(int command) {
  if (!state_) return false;
  const bool was_visible = state_->visible;
  switch (command) {
    case SW_HIDE:
      state_->visible = false;
      break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
      state_->visible = true;
      state_->show_state = SW_SHOWMINIMIZED;
      break;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
      state_->visible = true;
      state_->show_state = SW_SHOWNORMAL;
      break;
    default:
      state_->visible = true;
      break;
  }
  Changed(state_);
  return was_visible;
}

bool CWnd::IsIconic() const {
  return state_ && state_->show_state == SW_SHOWMINIMIZED;
}

bool CWnd::EnableWindow(bool enable) {
  if (!state_) return false;
  const bool was_disabled = !state_->enabled;
  state_->enabled = enable;
  Changed(state_);
  return was_disabled;
}

bool CWnd::IsWindowEnabled() const {
  return state_ && state_->enabled;
}

CWnd* CWnd::SetFocus() {
  if (!state_) return nullptr;
  WindowState* top = TopLevelOf(state_);
  WindowState* old = top->focus;
  top->focus = state_;
  Changed(top);
  return old ? old->wnd : nullptr;
}

void CWnd::SetRedraw(bool redraw) {
  if (!state_) return;
  state_->redraw = redraw;
  if (redraw) Changed(state_);
}

void CWnd::Invalidate() {
  if (state_ && state_->redraw) Changed(state_);
}

void CWnd::SetIcon(int icon_id) {
  if (!state_) return;
  state_->icon_id = icon_id;
  Changed(state_);
}

CRect CWnd::GetClientRect() const {
  if (!state_) return {};
  return {0, 0, state_->rect.Width(), state_->rect.Height()};
}

CRect CWnd::GetWindowRect() const {
  if (!state_) return {};
  CRect r = state_->rect;
  for (WindowState* p = state_->parent; p; p = p->parent) r.OffsetRect(p->rect.left, p->rect.top);
  return r;
}

void CWnd::ScreenToClient(CRect* rect) const {
  CRect me = GetWindowRect();
  rect->OffsetRect(-me.left, -me.top);
}

void CWnd::ClientToScreen(CRect* rect) const {
  CRect me = GetWindowRect();
  rect->OffsetRect(me.left, me.top);
}

bool CWnd::SetWindowPosAfter(CWnd* after) {
  if (!state_ || !state_->parent || !after || !after->state_ ||
      after->state_->parent != state_->parent) {
    return false;
  }
  auto& order = state_->parent->children;
  order.erase(std::remove(order.begin(), order.end(), state_), order.end());
  order.insert(std::find(order.begin(), order.end(), after->state_) + 1, state_);
  return true;
}

const CFont* CWnd::GetFont() const {
  return state_ ? &state_->font : nullptr;
}

CWnd* CWnd::GetParent() const {
  return state_ && state_->parent ? state_->parent->wnd : nullptr;
}

CWnd* CWnd::GetDlgItem(int id) const {
  if (!state_) return nullptr;
  for (WindowState* child : state_->children) {
    if (child->id != id) continue;
    if (!child->wnd) {
      child->own_wnd = MakeWrapper(child->cls);
      child->own_wnd->state_ = child;
      child->own_wnd->windows_ = child->manager;
      child->wnd = child->own_wnd.get();
    }
    return child->wnd;
  }
  return nullptr;
}

CDC CWnd::GetDC() const {
  UiBackend* b = windows_ ? windows_->backend() : nullptr;
  if (!b) return CDC();
  return CDC([b](const CFont& f, const std::string& t) { return b->MeasureText(f, t); });
}

int CWnd::ScaledPixels(int pixels) const {
  UiBackend* b = windows_ ? windows_->backend() : nullptr;
  const int dpi = b ? b->Dpi() : 96;
  // Rounded to the nearest pixel, as the system scales its own metrics.
  return static_cast<int>((static_cast<long long>(pixels) * dpi + 48) / 96);
}

bool CWnd::DestroyWindow() {
  if (!state_) return false;
  windows_->Destroy(state_);
  return true;
}

int CWnd::MessageBox(std::string_view text, std::string_view caption, UINT type, int id) {
  MessageBoxRequest request{this, std::string(text), std::string(caption), type, id};
  if (!windows_) return request.DefaultAnswer();
  return windows_->AskMessageBox(request);
}

UINT CWnd::SetTimer(UINT id, UINT period_ms) {
  if (!state_) return 0;
  state_->timers[id] = Timer{id, period_ms, windows_->Now() + period_ms};
  return id;
}

bool CWnd::KillTimer(UINT id) {
  return state_ && state_->timers.erase(id) > 0;
}

bool CWnd::PostMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (!state_) return false;
  windows_->Post(state_, message, wparam, lparam);
  return true;
}

bool CWnd::SubclassDlgItem(int id, CWnd* parent) {
  if (state_ || !parent || !parent->state_) return false;
  for (WindowState* child : parent->state_->children) {
    if (child->id != id) continue;
    if (child->wnd && child->wnd != child->own_wnd.get()) return false;  // taken already
    if (child->own_wnd) {
      child->own_wnd->state_ = nullptr;
      child->own_wnd.reset();
    }
    child->wnd = this;
    state_ = child;
    windows_ = child->manager;
    return true;
  }
  parent->windows_->Diagnose("dialog has no control " + std::to_string(id) + " to bind");
  return false;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate();
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_TIMER:
      OnTimer(static_cast<UINT>(wparam));
      return 0;
    case WM_COMMAND:
      return OnCommand(LOWORD(wparam), HIWORD(wparam), reinterpret_cast<CWnd*>(lparam)) ? 1 : 0;
    case WM_KEYDOWN:
      OnKeyDown(static_cast<UINT>(wparam), 1, 0);
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    default:
      return 0;
  }
}

bool CWnd::OnCommand(UINT, UINT, CWnd*) {
  return false;
}

void CWnd::OnKeyDown(UINT, UINT, UINT) {}

void CWnd::OnClose() {
  DestroyWindow();
}

}  // namespace cdsetup::framework
