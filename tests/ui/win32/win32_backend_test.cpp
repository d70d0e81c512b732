// The system's own dialogs under the core: a sample dialog run by the dialog
// manager, driven from a second thread through its controls' windows as a
// person's clicks and typing would arrive, and a message box answered by
// pressing one of its buttons.
#include "ui/win32/win32_backend.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/session.h"
#include "framework/app.h"
#include "framework/data_exchange.h"
#include "framework/window_manager.h"
#include "support/win32_driver.h"
#include "ui/win32/wide_text.h"

namespace cdsetup::ui::win32 {
namespace {

using namespace framework;  // the names <windows.h> defines are macros here
using resources::ControlKind;
using resources::ControlTemplate;
using resources::DialogTemplate;
namespace r = resources;

constexpr int kTemplateId = 901;
constexpr ControlTemplate kControls[] = {
    {1, ControlKind::kPushButton, "OK", 10, 100, 50, 14, r::kDefault | r::kTabStop},
    {2, ControlKind::kPushButton, "Cancel", 70, 100, 50, 14, r::kTabStop},
    {10, ControlKind::kEdit, "", 10, 10, 100, 14, r::kBorder | r::kTabStop | r::kAutoHScroll},
    {20, ControlKind::kRadioButton, "First", 10, 30, 50, 10, r::kGroup | r::kTabStop},
    {21, ControlKind::kRadioButton, "Second", 10, 40, 50, 10, 0},
    {30, ControlKind::kListBox, "", 120, 10, 80, 60, r::kNotify | r::kTabStop | r::kBorder},
    {40, ControlKind::kComboBox, "", 120, 75, 80, 60, r::kDropDownList | r::kTabStop},
    {50, ControlKind::kStatic, "Label", 10, 80, 100, 8, 0},
    {60, ControlKind::kProgress, "", 10, 90, 100, 8, 0},
    {70, ControlKind::kListBox, "", 120, 140, 80, 40, r::kOwnerDrawFixed | r::kNotify},
};
constexpr DialogTemplate kSample{
    kTemplateId, "Win32 sample", 0, 0, 210, 120, "MS Sans Serif", 8, r::kCaption | r::kSysMenu,
    kControls};

// Waits for a top-level window of the process with `caption`, shown: the
// dialog manager shows a dialog after its initialisation.
HWND WaitForWindow(const char* class_name, const char* caption) {
  for (int i = 0; i < 500; ++i) {
    if (HWND w = FindWindowA(class_name, caption); w && IsWindowVisible(w)) return w;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return nullptr;
}

// Waits for the message box with `caption`, reads its text and presses OK;
// an empty text when no box came.
std::wstring ReadAndConfirmBox(const char* caption) {
  HWND box = WaitForWindow("#32770", caption);
  if (!box) return std::wstring();
  std::wstring text;
  for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (GetDlgCtrlID(c) == 0xFFFF) text = WideWindowText(c);
  }
  SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  return text;
}

using testing::Win32Driver;

// Rows without texts, painted by the list itself in a colour of their own.
class PaintedList : public CListBox {
 public:
  static constexpr COLORREF kRowColour = RGB(12, 140, 56);
  void DrawItem(LPDRAWITEMSTRUCT item) override {
    item->hDC->FillSolidRect(item->rcItem, kRowColour);
    item->hDC->SetBkMode(TRANSPARENT);
    item->hDC->TextOut(2, 1, "row " + std::to_string(item->itemData));
  }
};

class SampleDialog : public CDialog {
 public:
  SampleDialog(WindowManager& windows, Win32Backend& backend)
      : CDialog(kTemplateId, windows), backend_(backend) {}

  bool OnInitDialog() override {
    CDialog::OnInitDialog();
    for (const char* row : {"alpha", "beta", "gamma"}) list.AddString(row);
    for (const char* row : {"C:", "D:"}) combo.AddString(row);
    combo.SetCurSel(0);
    painted.SetItemHeight(20);
    for (std::uintptr_t row : {1, 2, 3}) painted.AddItemData(row);
    CheckRadioButton(20, 21, 20);
    progress.SetRange(0, 10);
    progress.SetPos(3);
    SetTimer(7, 20);
    return true;
  }
  // A patch of the client area in a colour of its own, as the main dialog
  // paints its picture.
  static constexpr COLORREF kPatchColour = RGB(200, 30, 90);
  void PaintClient(CDC& dc) override { dc.FillSolidRect({4, 200, 40, 230}, kPatchColour); }
  void DoDataExchange(CDataExchange* dx) override {
    DDX_Control(dx, 30, list);
    DDX_Control(dx, 40, combo);
    DDX_Control(dx, 60, progress);
    DDX_Control(dx, 70, painted);
    DDX_Text(dx, 10, text);
  }
  bool OnCommand(UINT id, UINT code, CWnd* source) override {
    commands.push_back(std::to_string(id) + ":" + std::to_string(code));
    return CDialog::OnCommand(id, code, source);
  }
  void OnTimer(UINT id) override {
    if (id != 7 || ++ticks != 1) return;
    // The first tick runs inside the dialog manager's loop: the window and
    // the controls are up, where the core placed them.
    HWND dialog = backend_.WindowOf(state());
    RECT units{0, 0, 4, 8};
    ::MapDialogRect(dialog, &units);
    mapped_base = {units.right, units.bottom};
    RECT edit{};
    ::GetWindowRect(::GetDlgItem(dialog, 10), &edit);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&edit), 2);
    edit_rect = {edit.left, edit.top, edit.right, edit.bottom};
    GetDlgItem(50)->SetWindowText("ticked");
  }

  CListBox list;
  CComboBox combo;
  CProgressCtrl progress;
  PaintedList painted;
  std::string text;
  std::vector<std::string> commands;
  int ticks = 0;
  CSize mapped_base;
  CRect edit_rect;

 private:
  Win32Backend& backend_;
};

class Win32BackendTest : public ::testing::Test {
 protected:
  Win32BackendTest() {
    WindowManager& wm = windows_;
    wm.SetTemplateSource(
        [](int id) -> const DialogTemplate* { return id == kTemplateId ? &kSample : nullptr; });
    wm.SetBackend(&backend_);
  }
  ~Win32BackendTest() override { windows_.SetBackend(nullptr); }
  WindowManager windows_;
  CWinApp app_{"cdsetup", windows_};
  Win32Backend backend_;
};

TEST_F(Win32BackendTest, ClicksTypingAndPickedRowsReachTheCore) {
  SampleDialog dialog(windows_, backend_);
  struct Seen {
    std::string label, combo, painted_row;
    LRESULT painted_height = -1;
    COLORREF painted_pixel = 0, patch_pixel = 0;
    int icon_width = 0;
    LRESULT rows = -1, combo_rows = -1, progress = -1, first_checked = -1, second_checked = -1;
    bool ticked = false;
  } seen;
  std::thread person([&] {
    HWND w = WaitForWindow("#32770", "Win32 sample");
    if (!w) return;
    // The core's timer runs in the dialog's loop before anyone touches it.
    seen.ticked = Win32Driver::Eventually([&] { return Win32Driver::Text(w, 50) == "ticked"; });
    seen.rows = SendMessageA(GetDlgItem(w, 30), LB_GETCOUNT, 0, 0);
    seen.combo_rows = SendMessageA(GetDlgItem(w, 40), CB_GETCOUNT, 0, 0);
    seen.combo = Win32Driver::Text(w, 40);
    seen.progress = SendMessageA(GetDlgItem(w, 60), PBM_GETPOS, 0, 0);
    HWND painted = GetDlgItem(w, 70);
    seen.painted_height = SendMessageA(painted, LB_GETITEMHEIGHT, 0, 0);
    char row[64] = {};
    SendMessageA(painted, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(row));
    seen.painted_row = row;
    // Painted into a picture of the list's client area, as a screenshot is.
    HDC screen = GetDC(nullptr);
    HDC picture = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 400, 300);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(picture, bitmap);
    SendMessageA(painted, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(picture), PRF_CLIENT);
    seen.painted_pixel = GetPixel(picture, 100, 30);  // in the second row, right of its text
    SendMessageA(w, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(picture), PRF_CLIENT);
    seen.patch_pixel = GetPixel(picture, 20, 215);
    ICONINFO icon{};
    BITMAP colour{};
    auto big = reinterpret_cast<HICON>(SendMessageA(w, WM_GETICON, ICON_BIG, 0));
    if (big && GetIconInfo(big, &icon)) {
      GetObjectA(icon.hbmColor, sizeof(colour), &colour);
      seen.icon_width = colour.bmWidth;
      DeleteObject(icon.hbmColor);
      DeleteObject(icon.hbmMask);
    }
    SelectObject(picture, old);
    DeleteObject(bitmap);
    DeleteDC(picture);
    HWND edit = GetDlgItem(w, 10);
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("typed"));
    SendMessageA(w, WM_COMMAND, MAKEWPARAM(10, EN_CHANGE), reinterpret_cast<LPARAM>(edit));
    SendMessageA(GetDlgItem(w, 21), BM_CLICK, 0, 0);
    seen.first_checked = SendMessageA(GetDlgItem(w, 20), BM_GETCHECK, 0, 0);
    seen.second_checked = SendMessageA(GetDlgItem(w, 21), BM_GETCHECK, 0, 0);
    HWND list = GetDlgItem(w, 30);
    SendMessageA(list, LB_SETCURSEL, 2, 0);
    SendMessageA(w, WM_COMMAND, MAKEWPARAM(30, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    HWND combo = GetDlgItem(w, 40);
    SendMessageA(combo, CB_SETCURSEL, 1, 0);
    SendMessageA(w, WM_COMMAND, MAKEWPARAM(40, CBN_SELENDOK), reinterpret_cast<LPARAM>(combo));
    SendMessageA(GetDlgItem(w, 1), BM_CLICK, 0, 0);
  });
  const int result = dialog.DoModal();
  person.join();

  EXPECT_EQ(result, IDOK);
  EXPECT_TRUE(seen.ticked);
  EXPECT_EQ(seen.rows, 3);
  EXPECT_EQ(seen.combo_rows, 2);
  EXPECT_EQ(seen.combo, "C:");
  EXPECT_EQ(seen.progress, 3);
  // Owner-drawn rows: the core's height, painted by the control's DrawItem;
  // the row's text is what it draws.
  EXPECT_EQ(seen.painted_height, 20);
  EXPECT_EQ(seen.painted_row, "row 2");
  EXPECT_EQ(seen.painted_pixel, PaintedList::kRowColour);
  // The dialog's own painting, and the program's icon made from its image.
  EXPECT_EQ(seen.patch_pixel, SampleDialog::kPatchColour);
  EXPECT_EQ(seen.icon_width, 32);
  // The radio buttons are the core's: a click checks one and clears the other.
  EXPECT_EQ(seen.first_checked, BST_UNCHECKED);
  EXPECT_EQ(seen.second_checked, BST_CHECKED);
  EXPECT_EQ(dialog.text, "typed") << ::testing::PrintToString(dialog.commands);
  const std::vector<std::string>& c = dialog.commands;
  auto has = [&](const std::string& command) {
    return std::find(c.begin(), c.end(), command) != c.end();
  };
  EXPECT_TRUE(has("10:" + std::to_string(EN_CHANGE)));
  EXPECT_TRUE(has("21:" + std::to_string(BN_CLICKED)));
  EXPECT_TRUE(has("30:" + std::to_string(LBN_SELCHANGE)));
  EXPECT_TRUE(has("40:" + std::to_string(CBN_SELENDOK)));
  EXPECT_TRUE(has("1:" + std::to_string(BN_CLICKED)));
  // The dialog manager's units are the backend's, so controls sit where the
  // core put them.
  EXPECT_EQ(dialog.mapped_base, backend_.DialogBaseUnits());
  const CSize base = backend_.DialogBaseUnits();
  EXPECT_EQ(dialog.edit_rect.left, (10 * base.cx + 2) / 4);
  EXPECT_EQ(dialog.edit_rect.top, (10 * base.cy + 4) / 8);
  EXPECT_EQ(dialog.edit_rect.Width(), (100 * base.cx + 2) / 4);
}

TEST_F(Win32BackendTest, MinimisingTheCloseBoxAndTheCoresOwnEnd) {
  {
    class Watched : public SampleDialog {
     public:
      using SampleDialog::SampleDialog;
      void OnClose() override {
        minimised_at_close = IsIconic();
        SampleDialog::OnClose();
      }
      bool minimised_at_close = false;
    } dialog(windows_, backend_);
    std::thread person([&] {
      HWND w = WaitForWindow("#32770", "Win32 sample");
      // Once the core's timer has run, the dialog's loop is running.
      if (!w || !Win32Driver::Eventually([&] { return Win32Driver::Text(w, 50) == "ticked"; }))
        return;
      SendMessageA(w, WM_SYSCOMMAND, SC_MINIMIZE, 0);
      SendMessageA(w, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    person.join();
    EXPECT_TRUE(dialog.minimised_at_close);
  }
  // Ended by the core from its own timer, with nobody at the window.
  class SelfEnding : public SampleDialog {
   public:
    using SampleDialog::SampleDialog;
    void OnTimer(UINT id) override {
      SampleDialog::OnTimer(id);
      if (ticks == 3) EndDialog(42);
    }
  } dialog(windows_, backend_);
  EXPECT_EQ(dialog.DoModal(), 42);
  EXPECT_EQ(dialog.ticks, 3);
}

TEST_F(Win32BackendTest, TheFocusStaysWhereTabAndTheArrowKeysMovedIt) {
  // The core changes the dialog at every tick, which brings the windows in
  // step with its state: a focus it was not told of would be moved back.
  class Resyncing : public SampleDialog {
   public:
    using SampleDialog::SampleDialog;
    void OnTimer(UINT id) override {
      SampleDialog::OnTimer(id);
      SetWindowText("Win32 sample");
    }
  } dialog(windows_, backend_);
  struct Seen {
    int after_tab = 0, after_input = 0, after_arrow = 0;
  } seen;
  std::thread person([&] {
    HWND w = WaitForWindow("#32770", "Win32 sample");
    if (!w || !Win32Driver::Eventually([&] { return Win32Driver::Text(w, 50) == "ticked"; }))
      return;
    // Tab as the dialog manager does it, onto the list.
    PostMessageA(w, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(w, 30)), TRUE);
    Win32Driver::Eventually([&] { return Win32Driver::FocusId(w) == 30; });
    seen.after_tab = Win32Driver::FocusId(w);
    Sleep(150);
    seen.after_input = Win32Driver::FocusId(w);
    // An arrow key within the radio group moves the focus and checks.
    PostMessageA(w, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(w, 20)), TRUE);
    Win32Driver::Eventually([&] { return Win32Driver::FocusId(w) == 20; });
    PostMessageA(GetDlgItem(w, 20), WM_KEYDOWN, VK_DOWN, 1);
    Win32Driver::Eventually([&] { return Win32Driver::FocusId(w) == 21; });
    Sleep(150);
    seen.after_arrow = Win32Driver::FocusId(w);
    SendMessageA(GetDlgItem(w, 1), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
  person.join();
  EXPECT_EQ(seen.after_tab, 30);
  EXPECT_EQ(seen.after_input, 30);
  EXPECT_EQ(seen.after_arrow, 21);
}

// The texts of a Polish script, in its code page 1250, whatever the system's.
TEST_F(Win32BackendTest, TextsKeepTheirLettersInTheScriptsCodePage) {
  Win32Options options;
  options.text_code_page = [] { return 1250u; };
  Win32Backend polish(options);
  windows_.SetBackend(&polish);
  class Labelled : public SampleDialog {
   public:
    using SampleDialog::SampleDialog;
    bool OnInitDialog() override {
      SampleDialog::OnInitDialog();
      GetDlgItem(21)->SetWindowText("\xAF\xF3\xB3w");  // Żółw
      return true;
    }
  } dialog(windows_, polish);
  std::wstring label, box_text;
  std::thread person([&] {
    HWND w = WaitForWindow("#32770", "Win32 sample");
    if (!w) return;
    label = WideWindowText(GetDlgItem(w, 21));
    HWND edit = GetDlgItem(w, 10);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"\u0141\u00F3d\u017A"));  // Łódź
    SendMessageW(w, WM_COMMAND, MAKEWPARAM(10, EN_CHANGE), reinterpret_cast<LPARAM>(edit));
    SendMessageA(GetDlgItem(w, 1), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
  person.join();
  std::thread answer([&] { box_text = ReadAndConfirmBox("Pytanie"); });
  MessageBoxRequest request;
  request.text = "Zainstalowa\xE6?";  // Zainstalować?
  request.caption = "Pytanie";
  request.type = MB_OK;
  EXPECT_EQ(polish.MessageBox(request), IDOK);
  answer.join();
  windows_.SetBackend(&backend_);
  EXPECT_EQ(label, L"\u017B\u00F3\u0142w");
  EXPECT_EQ(dialog.text, "\xA3\xF3\x64\x9F");
  EXPECT_EQ(box_text, L"Zainstalowa\u0107?");
}

// The box of no window of ours shows its long caption whole, its contents
// inside it, and stays above other programs' windows.
TEST_F(Win32BackendTest, AMessageBoxIsAnsweredByItsButton) {
  MessageBoxRequest request;
  request.text = "Retry?";
  request.caption = "Win32 question about the disc in the drive that cannot be read";
  // Retry is neither the default nor the cancel answer: only the press gives it.
  request.type = MB_RETRYCANCEL | MB_ICONEXCLAMATION | MB_DEFBUTTON2;
  std::string shown;
  int caption_width = 0, box_width = 0;
  bool inside = true, topmost = false;
  std::thread person([&] {
    HWND box = WaitForWindow("#32770", request.caption.c_str());
    if (!box) return;
    Sleep(200);  // past its showing, when it is put above the others
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    HFONT font = CreateFontIndirectW(&metrics.lfCaptionFont);
    HDC dc = GetDC(box);
    HGDIOBJ old = SelectObject(dc, font);
    const std::wstring caption = WideWindowText(box);
    SIZE size{};
    GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(box, dc);
    DeleteObject(font);
    caption_width = size.cx;
    RECT frame{}, client{};
    GetWindowRect(box, &frame);
    GetClientRect(box, &client);
    box_width = frame.right - frame.left;
    topmost = (GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      if (Win32Driver::Text(c) == request.text) shown = Win32Driver::Text(c);
      RECT r{};
      GetWindowRect(c, &r);
      MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&r), 2);
      if (IsWindowVisible(c) && (r.left < 0 || r.right > client.right)) inside = false;
    }
    SendMessageA(GetDlgItem(box, IDRETRY), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(backend_.MessageBox(request), IDRETRY);
  person.join();
  EXPECT_EQ(shown, request.text);
  EXPECT_GT(caption_width, 200);
  EXPECT_GE(box_width, caption_width + 3 * GetSystemMetrics(SM_CXSIZE));
  EXPECT_TRUE(inside);
  EXPECT_TRUE(topmost);
}

// A run that cannot begin says why in a box of the system's own, the
// message's UTF-8 shown with its letters, as a sentence.
TEST(Win32StartUp, AFailureIsShownInABox) {
  std::wstring box_text;
  std::thread person([&] { box_text = ReadAndConfirmBox("cdsetup"); });
  app::Invocation invocation;  // the windows, as started from the desktop
  app::ShowStartupFailure(invocation,
                          "the medium D:\\\xC5\xBB\xC3\xB3\xC5\x82w holds no install.ini", 4);
  person.join();
  EXPECT_EQ(box_text, L"The medium D:\\\u017B\u00F3\u0142w holds no install.ini.");
}

}  // namespace
}  // namespace cdsetup::ui::win32
