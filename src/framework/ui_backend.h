// What a presentation of the core's windows must do: run a modal dialog's
// loop, ask a message box, and measure text. The real windows, the console
// and the tests' driver each implement it.
#pragma once

#include <string>

#include "framework/dc.h"
#include "framework/win_types.h"

namespace cdsetup::framework {

class CDialog;
class CWnd;
struct WindowState;

struct MessageBoxRequest {
  CWnd* owner = nullptr;  // null: the topmost window of the desktop
  std::string text;       // ANSI
  std::string caption;    // ANSI
  UINT type = MB_OK;
  int id = 0;  // what the question is: an IDP_ of resources/resource_ids.h

  UINT buttons() const { return type & MB_TYPEMASK; }
  UINT icon() const { return type & MB_ICONMASK; }
  /// The answer the default button gives.
  int DefaultAnswer() const;
  /// True when `answer` is one of the box's buttons.
  bool Offers(int answer) const;
  /// The answer of the box's cancel: Escape or the close box.
  int CancelAnswer() const;
  /// "OK", "Cancel", "Yes", "No" or "Retry", for logs.
  static const char* AnswerName(int answer);
};

class UiBackend {
 public:
  virtual ~UiBackend() = default;

  /// Presents `dialog` (already created and initialised) and turns input into
  /// the core's input calls until the dialog's modal end is set. Timers and
  /// posted messages are delivered with WindowManager::PumpOnce.
  virtual void RunModalLoop(CDialog& dialog) = 0;
  /// Asks the question; returns one of the request's answers.
  virtual int MessageBox(const MessageBoxRequest& request) = 0;
  virtual CSize MeasureText(const CFont& font, const std::string& text) {
    return FixedPitchMeasure(font, text);
  }
  /// Pixels per four horizontal and eight vertical dialog units.
  virtual CSize DialogBaseUnits() { return {6, 13}; }
  /// Pixels per inch of the screen the windows are on. The core's sizes in
  /// pixels (pictures, icons, row indents) are meant at 96 and scale by it;
  /// a backend whose pixels are already logical ones keeps 96.
  virtual int Dpi() { return 96; }
  /// A window's state changed in a way that should be shown.
  virtual void WindowChanged(WindowState& window) { (void)window; }
  virtual void WindowDestroyed(WindowState& window) { (void)window; }
  /// The language the pages speak from now on, as a Windows language id
  /// (0x0415 for Polish), so that the interface's own words, such as the
  /// message boxes' buttons, are in it too.
  virtual void SetLanguage(unsigned language_id) { (void)language_id; }
};

}  // namespace cdsetup::framework
