#pragma once

#include <windows.h>

namespace cdsetup::ui::win32 {

/// While alive, fits the first message box the calling thread opens: the box
/// is widened to show its whole caption (the product's title), as Windows
/// sizes its own boxes and Wine does not, its contents staying centred; with
/// `topmost` it is also kept above other programs' windows, which a folder
/// or program started just before would otherwise put over it.
class BoxFit {
 public:
  explicit BoxFit(bool topmost);
  ~BoxFit();
  BoxFit(const BoxFit&) = delete;
  BoxFit& operator=(const BoxFit&) = delete;

 private:
  static LRESULT CALLBACK OnWindow(int code, WPARAM wparam, LPARAM lparam);

  HHOOK hook_ = nullptr;
  bool topmost_;
  HWND box_ = nullptr;
  BoxFit* outer_;
};

}  // namespace cdsetup::ui::win32
