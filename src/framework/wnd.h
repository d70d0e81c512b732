// Windows as the core keeps them: every window's whole state lives in a
// WindowState owned by the window manager; a CWnd (or a class derived from
// it) is attached to a state and receives its messages. Backends present the
// states and feed input back through the core's input functions.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/dc.h"
#include "framework/win_types.h"
#include "resources/resource_ids.h"

namespace cdsetup::framework {

class CWnd;
class WindowManager;

enum class WindowClass { kDialog, kButton, kStatic, kEdit, kComboBox, kListBox, kProgress };

/// Style bits of the core's windows (the template's notes, plus the owner-draw
/// and keyboard bits the controls set themselves): one bit per note, whatever
/// the control's class, so they carry names of their own rather than the
/// system's WS_, ES_ or LBS_ names, whose values overlap. The lowest eight bits
/// are left to each control's own use, as the system leaves them.
enum WindowStyle : std::uint64_t {
  kStyleDefaultButton = 1ull << 8,
  kStyleGroup = 1ull << 9,
  kStyleTabStop = 1ull << 10,
  kStyleDisabled = 1ull << 11,
  kStyleHidden = 1ull << 12,
  kStyleBorder = 1ull << 13,
  kStyleVScroll = 1ull << 14,
  kStyleHScroll = 1ull << 15,
  kStyleMultiLine = 1ull << 16,
  kStyleReadOnly = 1ull << 17,
  kStyleAutoHScroll = 1ull << 18,
  kStyleAutoVScroll = 1ull << 19,
  kStyleWantReturn = 1ull << 20,
  kStyleDropDown = 1ull << 21,
  kStyleDropDownList = 1ull << 22,
  kStyleSort = 1ull << 23,  // also CBS_SORT
  kStyleOwnerDrawFixed = 1ull << 24,
  kStyleHasStrings = 1ull << 25,
  kStyleNoIntegralHeight = 1ull << 26,
  kStyleNotify = 1ull << 27,
  kStyleCenter = 1ull << 28,
  kStyleRight = 1ull << 29,
  kStyleBlackRect = 1ull << 30,
  kStyleGroupBox = 1ull << 31,
  kStyleCaption = 1ull << 32,
  kStyleSysMenu = 1ull << 33,
  kStyleModalFrame = 1ull << 34,
  kStyleMinimizeBox = 1ull << 35,
  kStyleAutoRadioButton = 1ull << 36,
  kStyleVisible = 1ull << 37,
  kStyleDisableNoScroll = 1ull << 38,
  kStyleIcon = 1ull << 39,
  kStyleMaximizeBox = 1ull << 40,
  kStyleAppWindow = 1ull << 41,  // a task bar button without an owner
};

struct ListItem {
  std::string text;  // empty for owner-drawn rows without texts
  std::uintptr_t data = 0;
};

struct Timer {
  UINT id = 0;
  UINT period_ms = 0;
  std::uint64_t due_ms = 0;
};

struct WindowState {
  WindowClass cls = WindowClass::kDialog;
  int id = 0;
  std::uint64_t style = 0;
  CRect rect;  // in the parent's client coordinates (a dialog: on the screen)
  std::string text;
  /// Its text and rows are names of the system (paths, folders, drives'
  /// labels) in the name code page, not texts of the pages' language.
  bool holds_names = false;
  bool enabled = true;
  bool visible = true;
  bool redraw = true;
  int show_state = SW_SHOWNORMAL;  // dialogs: normal or minimised
  int check = 0;                   // buttons
  int icon_id = 0;                 // a dialog's icon, a picture's image
  CFont font;
  WindowState* parent = nullptr;
  WindowManager* manager = nullptr;    // the one that made it
  std::vector<WindowState*> children;  // window order, which is the tab order
  CWnd* wnd = nullptr;                 // the attached object
  std::unique_ptr<CWnd> own_wnd;       // a plain object the core made for it
  // Edit fields.
  std::size_t limit = 0;  // 0: none
  std::size_t sel_start = 0, sel_end = 0;
  // Lists and combo boxes.
  std::vector<ListItem> items;
  int cur_sel = -1;
  int caret = -1;
  int item_height = 16;
  bool dropped = false;
  CRect dropped_rect;  // a combo box with its list open
  // Progress bars.
  int range_lo = 0, range_hi = 100, pos = 0;
  // Timers of this window, by id.
  std::map<UINT, Timer> timers;
  bool in_timer = false;
  // Modal dialogs.
  bool modal_running = false;
  bool end_modal = false;
  int modal_result = 0;
  WindowState* focus = nullptr;
  int generation = 0;  // counts repaints asked for
};

class CWnd {
 public:
  CWnd() = default;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;
  virtual ~CWnd();

  /// The state this object is attached to, or null before creation.
  WindowState* state() const { return state_; }
  /// The window manager of this window (a dialog's from its owner, a
  /// control's from its parent); null before one is known.
  WindowManager* windows() const { return windows_; }
  bool IsWindow() const { return state_ != nullptr; }
  int GetDlgCtrlID() const { return state_ ? state_->id : 0; }

  // Text, show state, enabling, focus, drawing.
  void SetWindowText(std::string_view text);
  std::string GetWindowText() const;
  /// Marks the control as one that shows and takes names, not texts.
  void HoldNames() {
    if (state_) state_->holds_names = true;
  }
  int GetWindowTextLength() const;
  bool ShowWindow(int command);
  bool IsIconic() const;
  bool EnableWindow(bool enable);
  bool IsWindowEnabled() const;
  CWnd* SetFocus();
  void SetRedraw(bool redraw);
  void Invalidate();
  void SetIcon(int icon_id);
  CRect GetClientRect() const;
  /// Window rectangle in screen coordinates.
  CRect GetWindowRect() const;
  void ScreenToClient(CRect* rect) const;
  void ClientToScreen(CRect* rect) const;
  /// Places this window directly after `after` in the parent's window order.
  bool SetWindowPosAfter(CWnd* after);
  const CFont* GetFont() const;
  CWnd* GetParent() const;
  CWnd* GetDlgItem(int id) const;
  bool DestroyWindow();
  /// A device context that measures text as the backend's windows do.
  CDC GetDC() const;
  /// `pixels`, a size meant at 96 dpi, on the screen the windows are on.
  int ScaledPixels(int pixels) const;

  /// `id` names the question (an IDP_ id) for the unattended answers and logs.
  int MessageBox(std::string_view text, std::string_view caption, UINT type, int id);
  UINT SetTimer(UINT id, UINT period_ms);
  bool KillTimer(UINT id);
  /// Queues a message; it is handled after the current handler returns.
  bool PostMessage(UINT message, WPARAM wparam = 0, LPARAM lparam = 0);

  /// Attaches this object to the existing control `id` of `parent`, so that
  /// its virtual functions handle that control.
  bool SubclassDlgItem(int id, CWnd* parent);

  // Messages. The defaults do what the system's default would.
  virtual LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam);
  virtual int OnCreate() { return 0; }
  virtual void OnDestroy() {}
  virtual void OnPaint() {}
  /// Draws the client area into `dc`, for a backend that paints windows
  /// itself: what OnPaint draws through GetDC. Nothing by default.
  virtual void PaintClient(CDC& dc) { (void)dc; }
  virtual void OnTimer(UINT id) { (void)id; }
  /// A command (a click, a notification) for this window; true when handled.
  virtual bool OnCommand(UINT id, UINT code, CWnd* source);
  /// A notification of this control, offered to it before its parent sees
  /// it; true stops it there.
  virtual bool OnChildNotify(UINT code) {
    (void)code;
    return false;
  }
  virtual void OnKeyDown(UINT key, UINT repeat, UINT flags);
  virtual UINT OnGetDlgCode() { return 0; }
  virtual void OnClose();
  /// The icon shown while the window is dragged minimised.
  virtual int OnQueryDragIcon() { return state_ ? state_->icon_id : 0; }

 protected:
  /// Creates a window of `cls` and attaches this object; calls OnCreate.
  bool CreateState(WindowClass cls, std::string_view text, std::uint64_t style, const CRect& rect,
                   CWnd* parent, int id);
  friend class WindowManager;
  friend class CDialog;
  WindowState* state_ = nullptr;
  WindowManager* windows_ = nullptr;
};

/// Whom a dialog belongs to: the window that owns it, or, for one that the
/// desktop owns, only the window manager that shows it.
class Owner {
 public:
  Owner(CWnd& parent) : windows_(parent.windows()), parent_(&parent) {}  // NOLINT: as MFC's parent
  Owner(WindowManager& windows) : windows_(&windows) {}                  // NOLINT
  WindowManager* windows() const { return windows_; }
  CWnd* parent() const { return parent_; }

 private:
  WindowManager* windows_;
  CWnd* parent_ = nullptr;
};

}  // namespace cdsetup::framework
