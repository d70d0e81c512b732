#include "framework/window_manager.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "framework/controls.h"

namespace cdsetup::framework {

int MessageBoxRequest::DefaultAnswer() const {
  const bool second = (type & MB_DEFMASK) == MB_DEFBUTTON2;
  switch (buttons()) {
    case MB_OKCANCEL:
      return second ? IDCANCEL : IDOK;
    case MB_YESNO:
      return second ? IDNO : IDYES;
    case MB_RETRYCANCEL:
      return second ? IDCANCEL : IDRETRY;
    default:
      return IDOK;
  }
}

bool MessageBoxRequest::Offers(int answer) const {
  switch (buttons()) {
    case MB_OKCANCEL:
      return answer == IDOK || answer == IDCANCEL;
    case MB_YESNO:
      return answer == IDYES || answer == IDNO;
    case MB_RETRYCANCEL:
      return answer == IDRETRY || answer == IDCANCEL;
    default:
      return answer == IDOK;
  }
}

int MessageBoxRequest::CancelAnswer() const {
  switch (buttons()) {
    case MB_YESNO:
      return IDNO;  // a Yes/No box has no close box; Escape answers nothing there
    case MB_OK:
      return IDOK;
    default:
      return IDCANCEL;
  }
}

bool WindowManager::Ending(const WindowState& window) {
  const WindowState* top = &window;
  while (top->parent) top = top->parent;
  return top->end_modal;
}

const char* MessageBoxRequest::AnswerName(int answer) {
  switch (answer) {
    case IDOK:
      return "OK";
    case IDCANCEL:
      return "Cancel";
    case IDYES:
      return "Yes";
    case IDNO:
      return "No";
    case IDRETRY:
      return "Retry";
    default:
      return "?";
  }
}

std::uint64_t WindowManager::Now() const {
  if (clock_) return clock_();
  using namespace std::chrono;
  return static_cast<std::uint64_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void WindowManager::Diagnose(const std::string& line) const {
  if (diag_) {
    diag_(line);
  } else {
    std::fprintf(stderr, "cdsetup: %s\n", line.c_str());
  }
}

WindowState* WindowManager::Create(WindowClass cls, CWnd* wnd, WindowState* parent) {
  auto state = std::make_unique<WindowState>();
  state->cls = cls;
  state->wnd = wnd;
  state->parent = parent;
  state->manager = this;
  WindowState* raw = state.get();
  windows_.push_back(std::move(state));
  if (parent) parent->children.push_back(raw);
  return raw;
}

bool WindowManager::Alive(const WindowState* window) const {
  if (!window) return false;
  return std::any_of(windows_.begin(), windows_.end(),
                     [&](const std::unique_ptr<WindowState>& w) { return w.get() == window; });
}

void WindowManager::Destroy(WindowState* window) {
  if (!Alive(window)) return;
  // Children go first, as the system destroys them before their parent.
  while (!window->children.empty()) Destroy(window->children.back());
  if (window->wnd) window->wnd->WindowProc(WM_DESTROY, 0, 0);
  // A list's rows leave with it, each through its owner's DeleteItem.
  if (auto* list = dynamic_cast<CListControl*>(window->wnd)) {
    window->redraw = false;
    list->ResetContent();
  }
  if (backend_) backend_->WindowDestroyed(*window);
  if (window->parent) {
    auto& siblings = window->parent->children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), window), siblings.end());
    if (window->parent->focus == window) window->parent->focus = nullptr;
  }
  posted_.erase(std::remove_if(posted_.begin(), posted_.end(),
                               [&](const PostedMessage& m) { return m.target == window; }),
                posted_.end());
  if (window->wnd) window->wnd->state_ = nullptr;
  windows_.remove_if([&](const std::unique_ptr<WindowState>& w) { return w.get() == window; });
}

void WindowManager::Post(WindowState* target, UINT message, WPARAM wparam, LPARAM lparam) {
  posted_.push_back({target, message, wparam, lparam});
}

bool WindowManager::PumpOnce(bool timers_due_now) {
  return Deliver(timers_due_now ? UINT64_MAX : Now());
}

bool WindowManager::Deliver(std::uint64_t due_by) {
  if (!posted_.empty()) {
    PostedMessage m = posted_.front();
    posted_.pop_front();
    if (Alive(m.target) && m.target->wnd) m.target->wnd->WindowProc(m.message, m.wparam, m.lparam);
    return true;
  }
  const std::uint64_t now = Now();
  WindowState* due_window = nullptr;
  Timer* due = nullptr;
  for (const auto& w : windows_) {
    if (w->in_timer) continue;  // a handler still running is not entered again
    if (Ending(*w)) continue;   // its dialog's loop ends before another message
    for (auto& [id, timer] : w->timers) {
      if (timer.due_ms <= due_by && (!due || timer.due_ms < due->due_ms)) {
        due = &timer;
        due_window = w.get();
      }
    }
  }
  if (!due) return false;
  // The next message comes a period after this one: late ticks are not
  // made up, as the system does not queue more than one.
  due->due_ms = now + due->period_ms;
  const UINT id = due->id;
  due_window->in_timer = true;
  if (due_window->wnd) due_window->wnd->WindowProc(WM_TIMER, id, 0);
  if (Alive(due_window)) due_window->in_timer = false;
  return true;
}

void WindowManager::PumpPending(int limit) {
  // A timer whose handler outlasts its period is due again at once; it gets
  // one message per pass, so that the caller's own events come between.
  const std::uint64_t pass = Now();
  while (limit-- > 0 && Deliver(pass)) {
  }
}

bool WindowManager::PumpPendingForLoop(int depth) {
  if (depth < 0 || delivering_loop_ >= depth) return false;
  const int outer = delivering_loop_;
  delivering_loop_ = depth;
  PumpPending();
  delivering_loop_ = outer;
  return true;
}

std::uint64_t WindowManager::NextTimerDue() const {
  std::uint64_t next = UINT64_MAX;
  for (const auto& w : windows_) {
    if (w->in_timer || Ending(*w)) continue;
    for (const auto& [id, timer] : w->timers) next = std::min(next, timer.due_ms);
  }
  return next;
}

std::uint64_t WindowManager::MsUntilNextMessage(std::uint64_t at_most) const {
  if (HasPosted()) return 0;
  const std::uint64_t due = NextTimerDue();
  if (due == UINT64_MAX) return at_most;
  const std::uint64_t now = Now();
  return due <= now ? 0 : std::min(due - now, at_most);
}

int WindowManager::AskMessageBox(const MessageBoxRequest& request) {
  if (!backend_) return request.DefaultAnswer();
  int answer = backend_->MessageBox(request);
  if (!request.Offers(answer)) {
    Diagnose("a message box was answered with " + std::to_string(answer) +
             ", which is none of its buttons; taken as its cancel");
    return request.CancelAnswer();
  }
  return answer;
}

const resources::DialogTemplate* WindowManager::FindTemplate(int id) const {
  return templates_ ? templates_(id) : resources::FindDialogTemplate(id);
}

void NotifyParent(WindowState& control, UINT code) {
  WindowManager& wm = *control.manager;
  if (control.wnd && control.wnd->OnChildNotify(code)) return;
  if (!wm.Alive(&control)) return;
  WindowState* parent = control.parent;
  if (parent && parent->wnd) {
    parent->wnd->WindowProc(WM_COMMAND, MAKEWPARAM(static_cast<UINT>(control.id), code),
                            reinterpret_cast<LPARAM>(control.wnd));
  }
}

}  // namespace cdsetup::framework
