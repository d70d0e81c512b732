// One dialog's window: a widget per control at its rectangle, brought in
// step with the core's state on every change; clicks, typing, the close
// box and minimising go back through the core's input functions.
#pragma once

#include <QDialog>
#include <map>
#include <memory>

#include "framework/dialog.h"

namespace cdsetup::ui::qt {

namespace fw = framework;
class WindowHost;

/// Hands keys and focus changes of every dialog window to that window.
std::unique_ptr<QObject> MakeInputFilter();

class DialogWindow : public QDialog {
 public:
  DialogWindow(WindowHost& backend, fw::WindowState& state);

  fw::WindowState& state() const { return state_; }
  /// Makes the widget of a control that has none yet.
  void AddControl(fw::WindowState& control);
  void RemoveControl(const fw::WindowState& control);
  void SyncControl(fw::WindowState& control);
  /// The caption, the show state, every control and the focus.
  void SyncAll();
  void SyncFocus();
  /// The control state `widget` (or one inside it) presents, or null.
  fw::WindowState* ControlOf(const QWidget* widget) const;
  QWidget* WidgetOf(const fw::WindowState& control) const;
  /// A key pressed in this window; false leaves it to the widget.
  bool HandleKey(QKeyEvent& event, fw::WindowState* control);
  /// The focus moved by a click.
  void HandleFocusIn(fw::WindowState& control);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QWidget* MakeWidget(fw::WindowState& control);
  WindowHost& backend_;
  fw::WindowState& state_;
  std::map<const fw::WindowState*, QWidget*> widgets_;
  bool syncing_ = false;
  bool shown_minimised_ = false;
};

}  // namespace cdsetup::ui::qt
