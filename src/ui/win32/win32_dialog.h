// One dialog on the screen: its window and its controls' windows, brought in
// step with the core's state; the dialog manager's messages (clicks, typing,
// picked rows, the close box) go back through the core's input functions.
#pragma once

#include <map>
#include <string>

#include "framework/dialog.h"
#include "ui/win32/gdi_replay.h"

namespace cdsetup::ui::win32 {

namespace fw = framework;
class DialogHost;

class Win32Dialog {
 public:
  /// Each dialog's window carries its template id in this property, for
  /// whatever drives or reads the windows from outside (tests, screen readers).
  static constexpr const char* kTemplateProperty = "cdsetup.template";

  Win32Dialog(DialogHost& host, fw::CDialog& dialog) : host_(host), dialog_(dialog) {}
  ~Win32Dialog();
  Win32Dialog(const Win32Dialog&) = delete;
  Win32Dialog& operator=(const Win32Dialog&) = delete;

  fw::CDialog& dialog() const { return dialog_; }
  DialogHost& host() const { return host_; }
  HWND hwnd() const { return hwnd_; }
  /// WM_INITDIALOG: pairs the controls' windows with their states, in
  /// window order, and shows the state.
  void Attach(HWND hwnd);
  void Detach();
  /// The caption, every control and the focus.
  void SyncAll();
  void SyncControl(fw::WindowState& control);
  void RemoveControl(const fw::WindowState& control);
  /// WM_COMMAND; true when it was the core's.
  bool OnCommand(WPARAM wparam, LPARAM lparam);
  /// The close box.
  void OnClose();
  /// The system moved the keyboard focus to `control` (a click on a field,
  /// Tab or an arrow key, which the dialog manager handles itself).
  void OnFocus(HWND control);
  /// WM_SIZE: minimised or restored from the task bar.
  void OnSize(WPARAM kind);
  /// WM_MEASUREITEM and WM_DRAWITEM of an owner-drawn list or combo box:
  /// the row height is the core's, a row is painted by the control's own
  /// DrawItem; false for a control the core does not draw.
  bool MeasureItem(::MEASUREITEMSTRUCT& item);
  bool DrawItem(const ::DRAWITEMSTRUCT& item);
  /// WM_PAINT and WM_PRINTCLIENT: what the dialog paints on its client area
  /// (the main dialog's background picture, its minimised icon).
  void Paint(HDC dc);
  /// The control window of `control`, or null.
  HWND ControlWindow(const fw::WindowState& control) const;

 private:
  fw::WindowState* StateOf(HWND control) const;
  /// The text typed into `w`, the window of `control`: a name or a text.
  std::string TextOf(HWND w, const fw::WindowState& control) const;
  /// `text` in UTF-16: a name from the system's code page, else a text.
  std::wstring WideOf(std::string_view text, bool name) const;
  // What the GDI replay needs of the backend: its fonts, its text conversion.
  FontSource Fonts() const;
  TextSource Texts() const;
  void SetTextIfChanged(HWND w, const fw::WindowState& control) const;
  /// A list box takes Enter for the core to decide, which opens a folder row
  /// as a double-click does where the dialog manager would press OK.
  void WatchEnter(fw::WindowState& control, HWND w);
  static LRESULT CALLBACK ListProc(HWND w, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                   DWORD_PTR self);
  HWND MakeControl(fw::WindowState& control);
  void SyncRows(fw::WindowState& control, HWND w);
  std::wstring RowText(fw::WindowState& control, int row) const;
  /// The icon of resource `id`, made once and kept while the dialog runs.
  HICON IconOf(int id, bool large);
  void SyncIcon();

  DialogHost& host_;
  fw::CDialog& dialog_;
  HWND hwnd_ = nullptr;
  std::map<const fw::WindowState*, HWND> controls_;
  bool syncing_ = false;
  int shown_icon_ = 0;
  std::map<std::pair<int, bool>, HICON> icons_;
};

}  // namespace cdsetup::ui::win32
