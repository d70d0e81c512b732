// Owns every window's state, the queue of posted messages and the timers,
// and delivers them one at a time. A run makes one and hands it to the
// windows it creates; used from the user-interface thread only.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/ui_backend.h"
#include "framework/wnd.h"
#include "resources/dialog_template.h"
#include "resources/own_texts.h"

namespace cdsetup::framework {

class CWinApp;

struct PostedMessage {
  WindowState* target;
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
};

class WindowManager {
 public:
  WindowManager() = default;
  WindowManager(const WindowManager&) = delete;
  WindowManager& operator=(const WindowManager&) = delete;

  void SetBackend(UiBackend* backend) { backend_ = backend; }
  UiBackend* backend() const { return backend_; }
  /// Milliseconds of a monotonic clock; tests substitute their own.
  void SetClock(std::function<std::uint64_t()> clock) { clock_ = std::move(clock); }
  std::uint64_t Now() const;
  /// Where failures of the framework's callers are written (a missing
  /// template or control); the application points it at its log.
  void SetDiagnostics(std::function<void(const std::string&)> sink) { diag_ = std::move(sink); }
  void Diagnose(const std::string& line) const;

  WindowState* Create(WindowClass cls, CWnd* wnd, WindowState* parent);
  void Destroy(WindowState* window);
  bool Alive(const WindowState* window) const;

  void Post(WindowState* target, UINT message, WPARAM wparam, LPARAM lparam);
  /// Delivers one posted message, else one due timer message. False when
  /// there was nothing to deliver. With `timers_due_now` every timer counts
  /// as due: for an interface that has nothing to draw between messages,
  /// the next one follows at once.
  bool PumpOnce(bool timers_due_now = false);
  /// Delivers everything that is due now (a bound keeps a timer that is
  /// always due from holding the loop).
  void PumpPending(int limit = 1000);
  /// PumpPending for the interface's modal loop `depth` levels deep (0: the
  /// outermost), unless a delivery for this loop or one inside it is under
  /// way: a message box that a handler shows runs a loop of its own, which
  /// must not deliver again, while a dialog that a handler runs is a loop
  /// one deeper and delivers for itself. True when it delivered.
  bool PumpPendingForLoop(int depth);
  /// When the next timer falls due, or UINT64_MAX without timers.
  std::uint64_t NextTimerDue() const;
  bool HasPosted() const { return !posted_.empty(); }
  /// Milliseconds until something is to be delivered: 0 with a posted
  /// message or a timer due, else until the next timer, at most `at_most`
  /// (a change a handler makes arms no timer, so an interface looks again).
  std::uint64_t MsUntilNextMessage(std::uint64_t at_most) const;

  /// Texts of templates are UTF-8; windows hold ANSI. The application sets
  /// the conversion of its code page.
  void SetResourceTextDecoder(std::function<std::string(std::string_view)> decode) {
    decode_ = std::move(decode);
  }
  std::string ResourceText(std::string_view utf8) const {
    return decode_ ? decode_(utf8) : std::string(utf8);
  }

  /// The language the pages speak from now on (a Windows language id), for
  /// the program's own words; the backend hears of it too.
  void SetLanguage(unsigned language_id) {
    language_ = language_id;
    if (backend_) backend_->SetLanguage(language_id);
  }
  unsigned language() const { return language_; }
  /// One of the program's own texts in that language, as windows hold it.
  std::string OwnText(resources::OwnText text) const {
    return ResourceText(resources::OwnTextOf(text, language_));
  }

  /// Where dialogs find their templates: the program's own, unless a test
  /// supplies others.
  void SetTemplateSource(std::function<const resources::DialogTemplate*(int)> source) {
    templates_ = std::move(source);
  }
  const resources::DialogTemplate* FindTemplate(int id) const;

  /// Asks the backend; with none, answers with the default button.
  int AskMessageBox(const MessageBoxRequest& request);

  /// The application whose name captions AfxMessageBox and whose main
  /// window owns it; null when there is none.
  void SetApplication(CWinApp* app) { app_ = app; }
  CWinApp* application() const { return app_; }

 private:
  /// PumpOnce for the timers due by `due_by` (UINT64_MAX: every timer).
  bool Deliver(std::uint64_t due_by);
  /// True when the dialog `window` belongs to has been ended.
  static bool Ending(const WindowState& window);
  UiBackend* backend_ = nullptr;
  unsigned language_ = 0;  // none chosen yet: English
  CWinApp* app_ = nullptr;
  std::function<std::uint64_t()> clock_;
  std::function<void(const std::string&)> diag_;
  std::function<std::string(std::string_view)> decode_;
  std::function<const resources::DialogTemplate*(int)> templates_;
  std::list<std::unique_ptr<WindowState>> windows_;
  std::deque<PostedMessage> posted_;
  int delivering_loop_ = -1;  // the loop whose PumpPendingForLoop runs
};

/// Sends a control's notification: first to the control itself, then, unless
/// it stopped it there, to its parent as a command.
void NotifyParent(WindowState& control, UINT code);

}  // namespace cdsetup::framework
