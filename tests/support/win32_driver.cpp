#include "support/win32_driver.h"

#include <chrono>
#include <cstdio>

#include "bmpkit/bmp_writer.h"
#include "ui/win32/wide_text.h"
#include "ui/win32/win32_dialog.h"

namespace cdsetup::testing {

namespace {

using Clock = std::chrono::steady_clock;

// The message box's text is the static control of this id.
constexpr int kBoxTextId = 0xFFFF;

std::string ClassOf(HWND w) {
  char name[64] = {};
  GetClassNameA(w, name, sizeof name);
  return name;
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

}  // namespace

void Win32Driver::Dialog(int template_id, Action action, Ready ready) {
  std::lock_guard lock(mutex_);
  steps_.push_back({template_id, std::move(action), std::move(ready)});
}

void Win32Driver::Box(Action action) {
  std::lock_guard lock(mutex_);
  steps_.push_back({kMessageBox, std::move(action), nullptr});
}

void Win32Driver::Start() {
  ui_thread_ = GetCurrentThreadId();
  person_ = std::thread([this] { Run(); });
}

void Win32Driver::Join() {
  if (person_.joinable()) person_.join();
}

std::size_t Win32Driver::steps_left() {
  std::lock_guard lock(mutex_);
  return steps_.size();
}

std::string Win32Driver::waiting_for() {
  std::lock_guard lock(mutex_);
  const std::string step = steps_.empty() ? std::string("nothing")
                           : steps_.front().kind == kMessageBox
                               ? std::string("a message box")
                               : "page " + std::to_string(steps_.front().kind);
  return step + ", found " + stalled_on_;
}

int Win32Driver::KindOf(HWND window) {
  if (!window || ClassOf(window) != "#32770") return 0;
  if (HANDLE id = GetPropA(window, ui::win32::Win32Dialog::kTemplateProperty)) {
    return static_cast<int>(reinterpret_cast<INT_PTR>(id));
  }
  return GetDlgItem(window, kBoxTextId) ? kMessageBox : 0;
}

std::string Win32Driver::Text(HWND window, int id) {
  HWND w = id ? GetDlgItem(window, id) : window;
  return w ? ui::win32::Narrow(ui::win32::WideWindowText(w), CP_UTF8) : std::string();
}

void Win32Driver::Click(HWND window, int id) {
  PostMessageA(GetDlgItem(window, id), BM_CLICK, 0, 0);
}

void Win32Driver::Press(HWND window, UINT key) {
  HWND target = FocusOf(window);
  if (!target) target = window;
  PostMessageA(target, WM_KEYDOWN, key, 1);
  PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

void Win32Driver::Type(HWND window, int id, const std::string& text) {
  HWND field = GetDlgItem(window, id);
  SendMessageA(field, EM_SETSEL, 0, -1);
  for (char c : text) PostMessageA(field, WM_CHAR, static_cast<unsigned char>(c), 1);
}

void Win32Driver::CloseBox(HWND window) {
  PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

int Win32Driver::FocusId(HWND window) {
  HWND focus = FocusOf(window);
  // The field of a combo box is a window of the combo box's own.
  if (focus && ClassOf(focus) == "Edit" && ClassOf(GetParent(focus)) == "ComboBox") {
    focus = GetParent(focus);
  }
  return focus ? GetDlgCtrlID(focus) : 0;
}

namespace {

// A picture of `width` x `height` that `paint` draws into through a memory DC.
WindowPicture Picture(int width, int height, const std::function<bool(HDC)>& paint) {
  WindowPicture picture;
  if (width <= 0 || height <= 0) return picture;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  const bool painted = bits && paint(dc);
  GdiFlush();
  if (painted) {
    picture.width = width;
    picture.height = height;
    const auto* p = static_cast<const std::uint32_t*>(bits);
    picture.pixels.assign(p,
                          p + static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (std::uint32_t& px : picture.pixels) px &= 0xFFFFFF;
  }
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return picture;
}

}  // namespace

WindowPicture Win32Driver::Capture(HWND window, bool whole) {
  // Painted now, children and frame, so that the copy is not of a window
  // still waiting for its paint messages.
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  SendMessageA(window, WM_NULL, 0, 0);
  RECT r{};
  if (whole ? !GetWindowRect(window, &r) : !GetClientRect(window, &r)) return {};
  const int width = r.right - r.left, height = r.bottom - r.top;
  return Picture(width, height, [&](HDC dc) {
    HDC from = whole ? GetWindowDC(window) : GetDC(window);
    const bool copied = from && BitBlt(dc, 0, 0, width, height, from, 0, 0, SRCCOPY);
    if (from) ReleaseDC(window, from);
    return copied;
  });
}

WindowPicture Win32Driver::PrintClient(HWND window) {
  RECT r{};
  if (!GetClientRect(window, &r)) return {};
  return Picture(r.right, r.bottom, [&](HDC dc) {
    SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    return true;
  });
}

bool Win32Driver::SaveBmp(const WindowPicture& picture, const std::string& path) {
  if (picture.pixels.empty()) return false;
  bmpkit::BmpFile bmp;
  bmp.width = picture.width;
  bmp.height = -picture.height;
  bmp.bpp = 32;
  bmp.pixels.resize(picture.pixels.size() * 4);
  for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
    bmpkit::Put32(bmp.pixels, i * 4, picture.pixels[i]);  // B, G, R, 0
  }
  const std::string file = bmpkit::WriteBmp(bmp);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool whole = std::fwrite(file.data(), 1, file.size(), f) == file.size();
  return std::fclose(f) == 0 && whole;
}

bool Win32Driver::Eventually(const std::function<bool()>& check) {
  for (int i = 0; i < 500; ++i) {
    if (check()) return true;
    Sleep(10);
  }
  return check();
}

HWND Win32Driver::TopWindow() const {
  // The window that takes input: the others wait disabled behind it.
  struct Found {
    HWND window = nullptr;
  } found;
  // A named function: a lambda cannot take the callback's calling convention.
  struct Enum {
    static BOOL CALLBACK Visit(HWND w, LPARAM param) {
      if (IsWindowVisible(w) && IsWindowEnabled(w) && !IsIconic(w) && KindOf(w) != 0) {
        reinterpret_cast<Found*>(param)->window = w;
        return FALSE;
      }
      return TRUE;
    }
  };
  EnumThreadWindows(ui_thread_, Enum::Visit, reinterpret_cast<LPARAM>(&found));
  return found.window;
}

void Win32Driver::Run() {
  auto since = Clock::now();
  HWND last = nullptr;
  bool seen_other = true;
  for (;;) {
    Step step;
    {
      std::lock_guard lock(mutex_);
      if (steps_.empty()) return;
      step = steps_.front();
    }
    HWND top = TopWindow();
    if (top != last) seen_other = true;
    if (top && KindOf(top) == step.kind && (top != last || seen_other) &&
        (!step.ready || step.ready(top))) {
      {
        std::lock_guard lock(mutex_);
        steps_.pop_front();
      }
      last = top;
      seen_other = false;
      step.action(top);
      since = Clock::now();
      continue;
    }
    if (Clock::now() - since > std::chrono::milliseconds(timeout_ms_)) {
      stalled_on_ =
          top ? "window " + std::to_string(KindOf(top)) + " \"" + Text(top) + "\"" : "no window";
      stalled_ = true;
      CloseEverything();
      return;
    }
    Sleep(10);
  }
}

void Win32Driver::CloseEverything() {
  // Every window closed as its close box would, a box by its way out.
  int quiet = 0;
  for (int i = 0; i < 400 && quiet < 50; ++i) {
    HWND top = TopWindow();
    if (!top) {
      ++quiet;
    } else if (KindOf(top) == kMessageBox) {
      quiet = 0;
      for (int id : {IDCANCEL, IDNO, IDOK}) {
        if (GetDlgItem(top, id)) {
          Click(top, id);
          break;
        }
      }
    } else {
      quiet = 0;
      PostMessageA(top, WM_CLOSE, 0, 0);
    }
    Sleep(40);
  }
}

}  // namespace cdsetup::testing
