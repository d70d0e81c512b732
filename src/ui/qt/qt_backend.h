// The framework's dialogs as real Qt windows: each modal dialog becomes a
// window built from its state, kept in step with it, and a person's clicks
// and keys go back through the core's input functions. Modal loops, timers
// and posted messages run on Qt's event loop.
#pragma once

#include <QFont>
#include <QString>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/action_log.h"
#include "framework/dialog.h"
#include "framework/ui_backend.h"
#include "ui/qt/qt_windows.h"
#include "ui/qt/window_host.h"

class QApplication;
class QEventLoop;
class QTranslator;
class QWidget;

namespace cdsetup::ui::qt {

namespace fw = framework;

class DialogWindow;

/// The Qt application the windows need. Start() opens the display; when it
/// cannot be opened, Qt gives no way back, so one line goes to stderr and the
/// process ends with `fail_status`.
class QtSession {
 public:
  static std::unique_ptr<QtSession> Start(const char* argv0, int fail_status);
  ~QtSession();
  QtSession(const QtSession&) = delete;
  QtSession& operator=(const QtSession&) = delete;

 private:
  QtSession() = default;
  int argc_ = 1;
  char* argv_[2] = {nullptr, nullptr};
  std::string name_;
  std::unique_ptr<QApplication> app_;
};

/// Needs a QApplication for its whole life (a QtSession, or the tests' own).
class QtBackend : public fw::UiBackend, public WindowHost {
 public:
  explicit QtBackend(QtOptions options);
  ~QtBackend() override;

  void RunModalLoop(fw::CDialog& dialog) override;
  int MessageBox(const fw::MessageBoxRequest& request) override;
  fw::CSize MeasureText(const fw::CFont& font, const std::string& text) override;
  /// The dialog manager's base units of the stand-in for the templates' font,
  /// measured as Windows measures a font: 6 x 12 pixels at 96 dpi.
  fw::CSize DialogBaseUnits() override;
  void WindowChanged(fw::WindowState& window) override;
  void WindowDestroyed(fw::WindowState& window) override;
  /// Loads Qt's own translation for the language, when Qt has one.
  void SetLanguage(unsigned language_id) override;

  /// The window showing the dialog `state`, or null while it has none.
  QWidget* WindowOf(const fw::WindowState* state) const;
  /// The display is gone: every running loop ends as by its close box, and
  /// later dialogs and message boxes are closed at once.
  void Abandon();

  // The windows' host.
  QString Text(std::string_view ansi) const override;
  std::string Ansi(const QString& text) const override;
  QString Name(std::string_view name) const override;
  std::string NameOf(const QString& typed) const override;
  QFont FontFor(const fw::CFont& font) const override;
  double Scale() const override;
  void AfterInput() override;

 private:
  struct Frame {
    fw::CDialog* dialog;
    QEventLoop* loop;
  };
  DialogWindow* FindWindow(const fw::WindowState& window) const;
  void CheckFrames();
  void Pump();
  void Schedule();
  void Log(const std::string& line) const;

  QtOptions o_;
  std::unique_ptr<QTranslator> translator_;
  std::map<const fw::WindowState*, DialogWindow*> windows_;
  std::vector<Frame> frames_;
  QTimer pump_;
  bool gone_ = false;
  std::unique_ptr<QObject> key_filter_;
};

}  // namespace cdsetup::ui::qt
