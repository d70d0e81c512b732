// The framework's dialogs as the system's own: each modal dialog is built in
// memory from its state and run by the dialog manager; the core's timers and
// posted messages are delivered from a timer of the dialog's window.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/action_log.h"
#include "framework/dialog.h"
#include "framework/ui_backend.h"
#include "ui/win32/dialog_host.h"

namespace cdsetup::ui::win32 {

namespace fw = framework;
class Win32Dialog;

struct Win32Options {
  /// One line per page shown and message box answered; null for none.
  base::ActionLog* log = nullptr;
  /// The font the templates are laid out in, for the dialog base units.
  fw::CFont template_font;
  /// The code page of the core's texts, asked at every use (it changes once
  /// the language is chosen); null or 0: the system's ANSI code page.
  std::function<unsigned()> text_code_page;
};

class Win32Backend : public fw::UiBackend, public DialogHost {
 public:
  explicit Win32Backend(Win32Options options = {});
  ~Win32Backend() override;
  Win32Backend(const Win32Backend&) = delete;
  Win32Backend& operator=(const Win32Backend&) = delete;

  void RunModalLoop(fw::CDialog& dialog) override;
  int MessageBox(const fw::MessageBoxRequest& request) override;
  fw::CSize MeasureText(const fw::CFont& font, const std::string& text) override;
  /// The base units of the templates' font, as the dialog manager computes
  /// them: its average letter width and its height.
  fw::CSize DialogBaseUnits() override;
  /// The screen's pixels per inch when the first window opened: the fonts
  /// are made for it, and the pictures and rows scale by it.
  int Dpi() override;
  void WindowChanged(fw::WindowState& window) override;
  void WindowDestroyed(fw::WindowState& window) override;
  /// The message boxes' buttons are in this language from now on, where the
  /// system has them in it.
  void SetLanguage(unsigned language_id) override { language_ = language_id; }

  /// The window of the running dialog `state`, or null.
  HWND WindowOf(const fw::WindowState* state) const;
  // The dialogs' host.
  void AfterInput() override;
  HFONT FontFor(const fw::CFont& font) override;
  unsigned CodePage() const override { return o_.text_code_page ? o_.text_code_page() : 0; }
  std::wstring Wide(std::string_view text) const override;
  void Schedule() override;
  void Pump(Win32Dialog& dialog) override;

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  Win32Dialog* FindDialog(const fw::WindowState& window) const;
  void CheckFrames();
  void Log(const std::string& line) const;

  Win32Options o_;
  fw::CSize base_{};
  int dpi_ = 0;
  std::map<std::pair<std::string, int>, HFONT> fonts_;
  std::vector<Win32Dialog*> frames_;  // running dialogs, innermost last
  unsigned language_ = 0;             // the system's
};

}  // namespace cdsetup::ui::win32
