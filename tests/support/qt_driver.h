// Drives real Qt windows in tests: each step waits for a window (a dialog by
// its template id, or a message box) to be the active modal one, then acts on
// its widgets with mouse clicks and key presses. Steps run from a timer, so
// the modal loops they start keep it going; a run that stalls is abandoned.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <string>

#include "ui/qt/qt_backend.h"

namespace cdsetup::testing {

/// The one QApplication of the test binary, on the offscreen platform; made
/// on first use and kept for the process.
QApplication& TestApplication();

class QtDriver {
 public:
  using Action = std::function<void(QWidget& window)>;
  using Ready = std::function<bool(QWidget& window)>;

  explicit QtDriver(ui::qt::QtBackend& backend, int timeout_ms = 15000)
      : backend_(backend), timeout_ms_(timeout_ms) {}

  /// Acts on dialog `template_id` once it is up (and `ready` says so).
  void Dialog(int template_id, Action action, Ready ready = nullptr) {
    steps_.push_back(
        {"dialog-" + std::to_string(template_id), std::move(action), std::move(ready)});
  }
  /// Acts on the next message box.
  void Box(Action action) { steps_.push_back({"message-box", std::move(action), nullptr}); }
  void Start() {
    clock_.start();
    Arm();
  }
  std::size_t steps_left() const { return steps_.size(); }
  bool stalled() const { return stalled_; }
  /// What was waited for, and what was up instead.
  std::string waiting_for() const {
    return (steps_.empty() ? "" : steps_.front().name) + ", found " + stalled_on_;
  }

 private:
  struct Step {
    std::string name;
    Action action;
    Ready ready;
  };
  void Arm() {
    QTimer::singleShot(5, &context_, [this] { Poll(); });
  }
  void Poll() {
    if (steps_.empty() || stalled_) return;
    QWidget* top = QApplication::activeModalWidget();
    if (top != last_) seen_other_ = true;
    Step& step = steps_.front();
    if (top && top->isVisible() && !top->isMinimized() &&
        top->objectName().toStdString() == step.name && (top != last_ || seen_other_) &&
        (!step.ready || step.ready(*top))) {
      Action action = std::move(step.action);
      steps_.pop_front();
      last_ = top;
      seen_other_ = false;
      clock_.restart();
      // Out of this timer's slot: the action may run whole modal loops.
      QTimer::singleShot(0, top, [top, action] { action(*top); });
    } else if (clock_.elapsed() > timeout_ms_) {
      stalled_ = true;
      stalled_on_ =
          top ? top->objectName().toStdString() + (top->isMinimized() ? " (minimised)" : "")
              : "no window";
      backend_.Abandon();
      if (top && top->objectName() == QStringLiteral("message-box")) top->hide();
      return;
    }
    Arm();
  }

  ui::qt::QtBackend& backend_;
  QObject context_;  // a poll still due when the driver goes is dropped with it
  int timeout_ms_;
  std::deque<Step> steps_;
  QElapsedTimer clock_;
  QPointer<QWidget> last_;  // a window deleted and another made at its address differ
  bool seen_other_ = true;
  bool stalled_ = false;
  std::string stalled_on_;
};

}  // namespace cdsetup::testing
