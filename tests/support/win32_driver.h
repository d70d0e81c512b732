// Drives the system's own dialogs in tests as a person would, from a thread
// of its own: each step waits for a window of the interface's thread (a page
// by its template id, or a message box) to be the one that takes input, then
// acts on its controls' windows, found by their ids. Clicks and keys are
// posted, so a click that starts another page's modal loop holds nobody; a
// run that stalls is closed window by window so that the test can end.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace cdsetup::testing {

/// A window's picture as PrintWindow paints it: 0x00RRGGBB, rows top down.
struct WindowPicture {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;
  std::uint32_t At(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
};

class Win32Driver {
 public:
  using Action = std::function<void(HWND window)>;
  using Ready = std::function<bool(HWND window)>;
  static constexpr int kMessageBox = -1;

  explicit Win32Driver(int timeout_ms = 20000) : timeout_ms_(timeout_ms) {}
  ~Win32Driver() { Join(); }
  Win32Driver(const Win32Driver&) = delete;
  Win32Driver& operator=(const Win32Driver&) = delete;

  /// Acts on page `template_id` once it is up (and `ready` says so).
  void Dialog(int template_id, Action action, Ready ready = nullptr);
  /// Acts on the next message box.
  void Box(Action action);
  /// Starts the person's thread, acting on the windows of the calling thread,
  /// which then runs the dialogs.
  void Start();
  /// Waits for the person to be done (every step taken, or stalled).
  void Join();
  std::size_t steps_left();
  bool stalled() const { return stalled_; }
  /// What was waited for, and what was up instead.
  std::string waiting_for();

  // What a person sees and does, on any thread.
  /// The template id of a page's window, kMessageBox for a message box, 0
  /// for anything else.
  static int KindOf(HWND window);
  /// The text of control `id` (of the window itself for 0), in UTF-8.
  static std::string Text(HWND window, int id = 0);
  /// A click on the button `id`.
  static void Click(HWND window, int id);
  /// A key pressed and let go where the window's thread has the focus.
  static void Press(HWND window, UINT key);
  /// Selects the whole text of field `id` and types `text` (ASCII) over it.
  static void Type(HWND window, int id, const std::string& text);
  /// The caption's close box.
  static void CloseBox(HWND window);
  /// The control id of the window with the focus in the window's thread.
  static int FocusId(HWND window);
  /// The window's client area as the display shows it, children and all
  /// (a copy of its device context once it has been painted afresh), or the
  /// whole window with `whole`: a screenshot, which needs a graphics driver
  /// that keeps the windows' pixels (not Wine's null one).
  static WindowPicture Capture(HWND window, bool whole = false);
  /// What the window paints on its client area, without its children, into
  /// a picture of its own; needs no display.
  static WindowPicture PrintClient(HWND window);
  /// Saves the picture as a 32-bit BMP file.
  static bool SaveBmp(const WindowPicture& picture, const std::string& path);
  /// Polls `check` every 10 ms for up to five seconds.
  static bool Eventually(const std::function<bool()>& check);

 private:
  struct Step {
    int kind;
    Action action;
    Ready ready;
  };
  void Run();
  HWND TopWindow() const;
  void CloseEverything();

  int timeout_ms_;
  DWORD ui_thread_ = 0;
  std::mutex mutex_;
  std::deque<Step> steps_;
  std::thread person_;
  std::atomic<bool> stalled_{false};
  std::string stalled_on_;
};

}  // namespace cdsetup::testing
