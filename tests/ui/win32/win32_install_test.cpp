// Whole installations through the system's own dialogs: clicks, keys and
// typing sent to the controls' windows from a person's thread, from the main
// dialog's install button to the closing message, with a picture of every
// page and message box (saved under $CDSETUP_SCREENSHOTS_DIR when set, which
// `make screenshots-windows` does). The medium is the CD drive that make
// test-windows gives Wine; the target folder is a fresh temporary one.
#include <windows.h>
// <commctrl.h> needs <windows.h> first.
#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/install_dlg.h"
#include "base/ascii.h"
#include "copy/audio_sound_converter.h"
#include "framework/app.h"
#include "framework/window_manager.h"
#include "pages/language_dlg.h"
#include "platform/win32/win32_text.h"
#include "resources/image.h"
#include "resources/resource_ids.h"
#include "script/localized_texts.h"
#include "support/held_converter.h"
#include "support/memory_log.h"
#include "support/page_client_sizes.h"
#include "support/win32_contract_env.h"
#include "support/win32_driver.h"
#include "ui/win32/win32_backend.h"

namespace cdsetup::app {
namespace {

// Points of the background picture, at 96 dpi, that the main dialog must show.
// The last is the picture's bottom right pixel: the client area holds it all.
constexpr std::pair<int, int> kPictureSamples[] = {
    {120, 90}, {300, 200}, {10, 220}, {340, 20}, {349, 249}};

// The names people read (the Start-menu folder, its links, the uninstall
// entry's DisplayName) hold the script's letters in Unicode, whatever the
// system's code page: on an English system too, "Demo Żółw Światła".
void ExpectNamesInUnicode(const app::CInstallDlg& main) {
  const unsigned texts = 1250;  // the Polish script's
  const std::wstring program = platform::Widen(main.m_szProgramName, texts);
  ASSERT_NE(program.find(L"\u017B\u00F3\u0142w"), std::wstring::npos);  // Żółw
  wchar_t name[256] = {};
  DWORD size = sizeof name;
  // The key's own name is the system's, as the game's uninstaller opens it.
  const std::wstring key = platform::Widen(main.m_strUninstallKey, 0);
  ASSERT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"DisplayName", RRF_RT_REG_SZ, nullptr,
                         name, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(name), program);

  wchar_t programs[MAX_PATH] = {};
  ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, programs, CSIDL_PROGRAMS, FALSE));
  const std::wstring folder = std::wstring(programs) + L"\\" +
                              platform::Widen(main.m_szCompanyName, texts) + L"\\" + program;
  for (int n = 0; n < main.m_nShortcuts; ++n) {
    const std::wstring link =
        folder + L"\\" +
        platform::Widen(main.m_shortcuts[static_cast<std::size_t>(n)].szDescription, texts);
    EXPECT_NE(GetFileAttributesW(link.c_str()), INVALID_FILE_ATTRIBUTES)
        << platform::Narrow(link, CP_UTF8);
  }
  EXPECT_GT(main.m_nShortcuts, 0);
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

// The page's client area is the one the Qt windows are held to as well; at
// 96 dpi, where they are given.
void Sized(HWND w, int dialog) {
  RECT r{};
  ASSERT_TRUE(GetClientRect(w, &r));
  if (ScreenDpi() == 96) testing::ExpectPageClientSize(dialog, r.right, r.bottom);
}

namespace r = resources;
using testing::Win32Driver;
using testing::WindowPicture;

// The rows of list or combo box `id` as the control holds them.
std::vector<std::string> Rows(HWND window, int id) {
  HWND list = GetDlgItem(window, id);
  const bool combo = id == r::IDC_DRIVES || id == r::IDC_LANGUAGE;
  const auto count = SendMessageA(list, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
  std::vector<std::string> rows;
  for (LRESULT i = 0; i < count; ++i) {
    char text[512] = {};
    SendMessageA(list, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(i),
                 reinterpret_cast<LPARAM>(text));
    rows.emplace_back(text);
  }
  return rows;
}

int RowNamed(HWND window, int id, const std::string& name) {
  const std::vector<std::string> rows = Rows(window, id);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (base::EqualsIgnoreCaseAscii(rows[i], name) ||
        base::EqualsIgnoreCaseAscii(rows[i], name + "\\")) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

// A double-click on a row of a list box, where a person's mouse would be.
void DoubleClickRow(HWND window, int id, int row) {
  HWND list = GetDlgItem(window, id);
  RECT item{};
  SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
  PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(list, WM_LBUTTONUP, 0, at);
  PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  PostMessageA(list, WM_LBUTTONUP, 0, at);
}

// Arrow keys on the list (or open combo box list) `id` until row `row` is
// the selected one, each press waited for; false when it is never reached.
bool ArrowTo(HWND window, int id, int row, UINT get_selection) {
  HWND list = GetDlgItem(window, id);
  for (int i = 0; i < 60; ++i) {
    const auto now = SendMessageA(list, get_selection, 0, 0);
    if (now == row) return true;
    Win32Driver::Press(window, now < row ? VK_DOWN : VK_UP);
    if (!Win32Driver::Eventually([&] { return SendMessageA(list, get_selection, 0, 0) != now; })) {
      return false;
    }
  }
  return false;
}

// Tabs to a combo box, opens its list with F4 and goes to the row starting
// with `prefix` with the arrow keys; Enter picks it. False when there is none.
bool PickComboRow(HWND window, int id, const std::string& prefix) {
  HWND combo = GetDlgItem(window, id);
  const std::vector<std::string> rows = Rows(window, id);
  int row = -1;
  for (std::size_t i = 0; i < rows.size() && row < 0; ++i) {
    if (base::EqualsIgnoreCaseAscii(rows[i].substr(0, prefix.size()), prefix))
      row = static_cast<int>(i);
  }
  if (row < 0) return false;
  PostMessageA(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(combo), TRUE);
  if (!Win32Driver::Eventually([&] { return Win32Driver::FocusId(window) == id; })) return false;
  Win32Driver::Press(window, VK_F4);
  if (!Win32Driver::Eventually([&] { return SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0); })) {
    return false;
  }
  if (!ArrowTo(window, id, row, CB_GETCURSEL)) return false;
  Win32Driver::Press(window, VK_RETURN);
  return Win32Driver::Eventually([&] {
    return !SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0) &&
           SendMessageA(combo, CB_GETCURSEL, 0, 0) == row;
  });
}

// A window's rectangle within the picture of `window`'s client area.
RECT PlaceIn(HWND window, HWND part) {
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  RECT r{};
  GetWindowRect(part, &r);
  OffsetRect(&r, -origin.x, -origin.y);
  return r;
}

// How often neighbouring pixels differ along the row y from x0 to x1.
int Alternations(const WindowPicture& p, int x0, int x1, int y) {
  int changes = 0;
  for (int x = x0 + 1; x < x1; ++x) changes += p.At(x, y) != p.At(x - 1, y) ? 1 : 0;
  return changes;
}

class Win32Install : public ::testing::Test {
 protected:
  void SetUp() override {
    auto opened = platform::Win32Platform::Open({env_.CdRoot()});
    ASSERT_TRUE(opened.ok()) << opened.status().ToString() << " (CDSETUP_TEST_CD_DRIVE)";
    platform_ = std::move(opened).value();
    ASSERT_NE(GetFileAttributesA((env_.CdRoot() + "install.ini").c_str()), INVALID_FILE_ATTRIBUTES)
        << "no demo medium in " << env_.CdRoot();
    framework::WindowManager& wm = windows_;
    wm.SetResourceTextDecoder(
        [this](std::string_view utf8) { return platform::Utf8ToCodePage(utf8, text_code_page_); });
    wm.SetDiagnostics([this](const std::string& line) { diagnostics_.push_back(line); });
    wm.SetBackend(&backend_);
    const char* dir = std::getenv("CDSETUP_SCREENSHOTS_DIR");
    if (dir && *dir) shots_ = dir;
    target_ = env_.Dir() + "\\Gry\\Demo";
  }
  void TearDown() override { windows_.SetBackend(nullptr); }

  script::LocalizedTexts Texts(std::string language) const {
    return script::LocalizedTexts(*platform_, env_.CdRoot() + "install.ini", std::move(language));
  }
  InstallSettings Polish() {
    InstallSettings s;
    s.language = "Polski";
    s.converter = &converter_;
    s.log = &log_;
    // The texts are read in the language's own code page, as the installer
    // does, whatever the system's.
    s.use_code_page = [this](int code_page) {
      text_code_page_ = static_cast<unsigned>(code_page);
      platform_->UseTextCodePage(code_page);
    };
    return s;
  }
  bool Exists(const std::string& relative) const {
    return GetFileAttributesA((target_ + "\\" + relative).c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  // Called on the person's thread, while the window is up: with a place for
  // them, the picture is taken and saved beside the others. Pictures need a
  // display (a graphics driver that keeps the windows' pixels).
  void Shot(HWND window, const std::string& name, int open_list = 0) {
    saved_.push_back(name);
    if (shots_.empty()) return;
    const WindowPicture picture =
        open_list ? WithOpenList(window, open_list) : Win32Driver::Capture(window);
    const std::string path = shots_ + "\\" + name + ".bmp";
    EXPECT_TRUE(Win32Driver::SaveBmp(picture, path)) << path;
  }
  // The window with a combo box's open list, which is a window of its own.
  static WindowPicture WithOpenList(HWND window, int id) {
    WindowPicture all = Win32Driver::Capture(window);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (all.pixels.empty() || !GetComboBoxInfo(GetDlgItem(window, id), &info) ||
        !IsWindowVisible(info.hwndList)) {
      return all;
    }
    const WindowPicture list = Win32Driver::Capture(info.hwndList, true);
    const RECT at = PlaceIn(window, info.hwndList);
    WindowPicture out;
    out.width = std::max<int>(all.width, at.right);
    out.height = std::max<int>(all.height, at.bottom);
    out.pixels.assign(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height),
                      0xFFFFFF);
    auto put = [&](const WindowPicture& p, int left, int top) {
      for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
          if (left + x < 0 || top + y < 0) continue;
          out.pixels[static_cast<std::size_t>(top + y) * static_cast<std::size_t>(out.width) +
                     static_cast<std::size_t>(left + x)] = p.At(x, y);
        }
      }
    };
    put(all, 0, 0);
    if (!list.pixels.empty()) put(list, at.left, at.top);
    return out;
  }
  std::string LogTail() const {
    std::string tail;
    const auto& lines = log_.lines();
    for (std::size_t i = lines.size() > 25 ? lines.size() - 25 : 0; i < lines.size(); ++i) {
      tail += platform::CodePageToUtf8(lines[i], text_code_page_) + "\n";
    }
    return tail;
  }

  testing::Win32ContractEnv env_;
  std::unique_ptr<platform::Win32Platform> platform_;
  framework::WindowManager windows_;
  framework::CWinApp app_{"setup", windows_};
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> quiet_{std::fopen("NUL", "w"), &std::fclose};
  copy::AudioSoundConverter converter_{audio::AudioDiagnostics{quiet_.get(), quiet_.get()}};
  unsigned text_code_page_ = 0;  // the system's, until a language is chosen
  ui::win32::Win32Backend backend_{
      ui::win32::Win32Options{nullptr, {}, [this] { return text_code_page_; }}};
  Win32Driver driver_;
  std::string shots_, target_;
  std::vector<std::string> saved_;
  std::vector<std::string> diagnostics_;
  testing::MemoryLog log_;
};

TEST_F(Win32Install, WholeInstallationThroughTheWindows) {
  // The language page first, as start-up shows it when the system's language
  // has no section: the list opened and a row picked.
  pages::CLanguageDlg language(windows_, Texts(""));
  driver_.Dialog(r::IDD_LANGUAGE, [&](HWND w) {
    Sized(w, r::IDD_LANGUAGE);
    HWND combo = GetDlgItem(w, r::IDC_LANGUAGE);
    SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
    Shot(w, "01-language", r::IDC_LANGUAGE);
    SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
    EXPECT_TRUE(PickComboRow(w, r::IDC_LANGUAGE, "Polski"))
        << ::testing::PrintToString(Rows(w, r::IDC_LANGUAGE)) << " at "
        << SendMessageA(combo, CB_GETCURSEL, 0, 0) << " dropped "
        << SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0);
    Win32Driver::Click(w, IDOK);
  });
  driver_.Start();
  ASSERT_EQ(language.DoModal(), IDOK);
  driver_.Join();
  ASSERT_EQ(driver_.steps_left(), 0u) << driver_.waiting_for();
  EXPECT_EQ(language.GetLanguage(), "Polski");

  testing::HeldConverter held(converter_, "temat.wav");
  InstallSettings settings = Polish();
  settings.converter = &held;
  CInstallDlg main(windows_, *platform_, settings);
  struct Seen {
    std::string caption, exit, yes, no;
    std::uint32_t picture_pixel = 0;
    std::vector<std::uint32_t> shown_pixels;
    std::pair<int, int> client;
    bool max_checked = false, std_checked = true;
    int focus_alternations = 0;
    std::string field_after_enter, rows_before_enter;
  } seen;
  // 1: Enter on the main dialog; a folder on a drive that is not there.
  driver_.Dialog(r::IDD_MAIN, [&](HWND w) {
    Sized(w, r::IDD_MAIN);
    seen.caption = Win32Driver::Text(w);
    seen.exit = Win32Driver::Text(w, IDCANCEL);
    // The background picture, as the dialog paints it: larger on a denser
    // screen, where the picture's pixel (x, y) lands at (x, y) * dpi / 96.
    const WindowPicture p = Win32Driver::PrintClient(w);
    seen.client = {p.width, p.height};
    for (const auto& [x, y] : kPictureSamples) {
      const int sx = MulDiv(x, ScreenDpi(), 96), sy = MulDiv(y, ScreenDpi(), 96);
      seen.shown_pixels.push_back(p.width > sx && p.height > sy ? p.At(sx, sy) : 0xFF000000);
    }
    Shot(w, "02-main");
    Win32Driver::Press(w, VK_RETURN);
  });
  driver_.Dialog(r::IDD_LICENCE, [&](HWND w) {
    Sized(w, r::IDD_LICENCE);
    Shot(w, "03-licence");
    Win32Driver::Click(w, IDOK);
  });
  driver_.Dialog(r::IDD_INSTALL_TYPE, [&](HWND w) {
    Sized(w, r::IDD_INSTALL_TYPE);
    Win32Driver::Click(w, r::IDC_TYPE_MAX);
    Win32Driver::Eventually([&] {
      return SendMessageA(GetDlgItem(w, r::IDC_TYPE_MAX), BM_GETCHECK, 0, 0) == BST_CHECKED;
    });
    seen.max_checked =
        SendMessageA(GetDlgItem(w, r::IDC_TYPE_MAX), BM_GETCHECK, 0, 0) == BST_CHECKED;
    seen.std_checked =
        SendMessageA(GetDlgItem(w, r::IDC_TYPE_STD), BM_GETCHECK, 0, 0) == BST_CHECKED;
    Shot(w, "04-install-type");
    Win32Driver::Press(w, VK_RETURN);
  });
  driver_.Dialog(r::IDD_TARGET_DIR, [&](HWND w) {
    Sized(w, r::IDD_TARGET_DIR);
    Win32Driver::Type(w, r::IDC_PATH, "Q:\\Gry");
    Win32Driver::Press(w, VK_RETURN);
  });
  driver_.Box([&](HWND box) {
    // The buttons speak the page's language.
    seen.yes = Win32Driver::Text(box, IDYES);
    seen.no = Win32Driver::Text(box, IDNO);
    Shot(box, "06-box-create-directory");
    Win32Driver::Click(box, IDYES);
  });
  driver_.Box([&](HWND box) {
    Shot(box, "07-box-cannot-create-directory");
    Win32Driver::Click(box, IDOK);
  });
  // 2: the copy stopped with the page's close box.
  driver_.Dialog(r::IDD_MAIN, [&](HWND w) { Win32Driver::Click(w, IDOK); });
  driver_.Dialog(r::IDD_LICENCE, [&](HWND w) { Win32Driver::Click(w, IDOK); });
  driver_.Dialog(r::IDD_INSTALL_TYPE, [&](HWND w) { Win32Driver::Click(w, IDOK); });
  driver_.Dialog(r::IDD_TARGET_DIR, [&](HWND w) {
    Win32Driver::Type(w, r::IDC_PATH, "C:\\windows");
    Win32Driver::Click(w, IDOK);
  });
  driver_.Dialog(r::IDD_COPY_PROGRESS, [&](HWND w) {
    Sized(w, r::IDD_COPY_PROGRESS);
    Win32Driver::CloseBox(w);
  });
  driver_.Box([&](HWND box) {
    Shot(box, "08-box-copy-error");
    Win32Driver::Click(box, IDOK);
  });
  // 3: the whole installation.
  driver_.Dialog(r::IDD_MAIN, [&](HWND w) { Win32Driver::Click(w, IDOK); });
  driver_.Dialog(r::IDD_LICENCE, [&](HWND w) { Win32Driver::Click(w, IDOK); });
  driver_.Dialog(r::IDD_INSTALL_TYPE, [&](HWND w) {
    Win32Driver::Click(w, r::IDC_TYPE_MAX);
    Win32Driver::Click(w, IDOK);
  });
  driver_.Dialog(r::IDD_TARGET_DIR, [&](HWND w) {
    // The drive C: from the drive list, then a folder down by a double-click
    // and one by Enter.
    EXPECT_TRUE(PickComboRow(w, r::IDC_DRIVES, "c:"));
    EXPECT_TRUE(Win32Driver::Eventually([&] {
      return RowNamed(w, r::IDC_DIRECTORIES, "users") >= 0;
    })) << ::testing::PrintToString(Rows(w, r::IDC_DIRECTORIES));
    DoubleClickRow(w, r::IDC_DIRECTORIES, RowNamed(w, r::IDC_DIRECTORIES, "users"));
    EXPECT_TRUE(Win32Driver::Eventually([&] {
      return RowNamed(w, r::IDC_DIRECTORIES, "Public") >= 0;
    })) << ::testing::PrintToString(Rows(w, r::IDC_DIRECTORIES));
    HWND list = GetDlgItem(w, r::IDC_DIRECTORIES);
    const int row = RowNamed(w, r::IDC_DIRECTORIES, "Public");
    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 1));  // the focus to the list
    PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(4, 1));
    EXPECT_TRUE(Win32Driver::Eventually([&] {
      return Win32Driver::FocusId(w) == r::IDC_DIRECTORIES &&
             SendMessageA(list, LB_GETCURSEL, 0, 0) == 0;
    }));
    EXPECT_TRUE(ArrowTo(w, r::IDC_DIRECTORIES, row, LB_GETCURSEL));
    // The focused row carries the focus pattern: a dotted frame.
    const WindowPicture p = Win32Driver::PrintClient(list);
    RECT item{};
    SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    if (p.height > item.top && p.width > item.left + 60) {
      seen.focus_alternations = Alternations(p, item.left, item.left + 60, item.top);
    }
    seen.rows_before_enter = ::testing::PrintToString(Rows(w, r::IDC_DIRECTORIES)) + " sel " +
                             std::to_string(SendMessageA(list, LB_GETCURSEL, 0, 0)) + " row " +
                             std::to_string(row) + " focus " +
                             std::to_string(Win32Driver::FocusId(w)) + " rect " +
                             std::to_string(item.top) + "," + std::to_string(item.bottom);
    Win32Driver::Press(w, VK_RETURN);
    // Enter opens the folder as the double-click did, and the field follows.
    Win32Driver::Eventually([&] {
      return base::EqualsIgnoreCaseAscii(Win32Driver::Text(w, r::IDC_PATH), "c:\\users\\Public\\");
    });
    seen.field_after_enter = Win32Driver::Text(w, r::IDC_PATH);
    SendMessageA(GetDlgItem(w, r::IDC_DRIVES), CB_SHOWDROPDOWN, TRUE, 0);
    Shot(w, "05-target-directory", r::IDC_DRIVES);
    SendMessageA(GetDlgItem(w, r::IDC_DRIVES), CB_SHOWDROPDOWN, FALSE, 0);
    Win32Driver::Type(w, r::IDC_PATH, target_);
    Win32Driver::Click(w, IDOK);
  });
  driver_.Box([&](HWND box) { Win32Driver::Click(box, IDYES); });
  // The page is there while the held entry converts: the rest of the list
  // goes on beside it, and the page waits for it at the end.
  driver_.Dialog(
      r::IDD_COPY_PROGRESS,
      [&](HWND w) {
        Shot(w, "09-copy-progress");
        held.released = true;
      },
      [](HWND w) {
        HWND bar = GetDlgItem(w, r::IDC_PROGRESS);
        const auto high = SendMessageA(bar, PBM_GETRANGE, FALSE, 0);
        return high > 0 && SendMessageA(bar, PBM_GETPOS, 0, 0) * 3 >= high;
      });
  driver_.Box([&](HWND box) {
    Shot(box, "10-box-installation-complete");
    Win32Driver::Click(box, IDOK);
  });
  driver_.Box([&](HWND box) {
    Shot(box, "11-box-extra-program");
    Win32Driver::Click(box, IDNO);
  });
  driver_.Box([&](HWND box) { Win32Driver::Click(box, IDNO); });
  driver_.Box([&](HWND box) {
    Shot(box, "12-box-directx");
    Win32Driver::Click(box, IDNO);
  });
  driver_.Start();
  EXPECT_EQ(main.DoModal(), IDCANCEL);
  driver_.Join();
  EXPECT_FALSE(driver_.stalled()) << "waiting for " << driver_.waiting_for() << "\n" << LogTail();
  EXPECT_EQ(driver_.steps_left(), 0u);
  EXPECT_EQ(main.outcome(), Outcome::kInstalled) << main.reason();

  EXPECT_EQ(seen.caption, "Demo Żółw Światła - instalacja");
  EXPECT_EQ(seen.exit, "Wyjście");
  // The demo's picture is the dialog's background, pixel for pixel.
  std::ifstream bmp(env_.CdRoot() + "tlo.bmp", std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(bmp), {}};
  auto picture = r::DecodeBmp(bytes);
  ASSERT_TRUE(picture.ok());
  const r::Image shown =
      r::Scale(*picture, CInstallDlg::kBackgroundWidth, CInstallDlg::kBackgroundHeight);
  EXPECT_GE(seen.client.first, MulDiv(CInstallDlg::kBackgroundWidth, ScreenDpi(), 96));
  EXPECT_GE(seen.client.second, MulDiv(CInstallDlg::kBackgroundHeight, ScreenDpi(), 96));
  ASSERT_EQ(seen.shown_pixels.size(), std::size(kPictureSamples));
  for (std::size_t i = 0; i < std::size(kPictureSamples); ++i) {
    const auto [x, y] = kPictureSamples[i];
    EXPECT_EQ(seen.shown_pixels[i], shown.at(x, y) & 0xFFFFFF) << "at " << x << ", " << y;
  }
  EXPECT_TRUE(seen.max_checked);
  EXPECT_FALSE(seen.std_checked);
  EXPECT_EQ(seen.yes, "&Tak");
  EXPECT_EQ(seen.no, "&Nie");
  EXPECT_GE(seen.focus_alternations, 20);
  EXPECT_TRUE(base::EqualsIgnoreCaseAscii(seen.field_after_enter, "c:\\users\\Public\\"))
      << seen.field_after_enter << " " << seen.rows_before_enter;

  EXPECT_TRUE(Exists("czytaj.txt"));
  EXPECT_TRUE(Exists("Dodatki"));  // the full install's
  EXPECT_TRUE(Exists("Muzyka\\temat.wav"));
  EXPECT_TRUE(Exists("install.ini"));
  auto key = platform_->RegOpenKeyA(platform::RegRoot::kCurrentUser, main.m_strRegKey);
  ASSERT_TRUE(key.ok());
  auto path = platform_->RegQueryValueA(*key, "ProgramPath");
  platform_->RegCloseKey(*key);
  ASSERT_TRUE(path.ok());
  EXPECT_TRUE(base::EqualsIgnoreCaseAscii(*path, target_)) << *path;
  ExpectNamesInUnicode(main);
  EXPECT_EQ(saved_.size(), 12u);
  EXPECT_TRUE(diagnostics_.empty()) << diagnostics_[0];
}

TEST_F(Win32Install, EveryPagesCloseBoxDoesWhatItsPageMeansByIt) {
  pages::CLanguageDlg language(windows_, Texts(""));
  driver_.Dialog(r::IDD_LANGUAGE, [&](HWND w) { Win32Driver::CloseBox(w); });
  driver_.Start();
  EXPECT_EQ(language.DoModal(), IDCANCEL);
  driver_.Join();
  ASSERT_EQ(driver_.steps_left(), 0u) << driver_.waiting_for();

  CInstallDlg main(windows_, *platform_, Polish());
  // The licence's close box declines it, and the main dialog is back.
  driver_.Dialog(r::IDD_MAIN, [&](HWND w) { Win32Driver::Click(w, IDOK); });
  driver_.Dialog(r::IDD_LICENCE, [&](HWND w) { Win32Driver::CloseBox(w); });
  // The type page's keeps the type it proposed and goes on; the target
  // page's goes back.
  driver_.Dialog(r::IDD_MAIN, [&](HWND w) { Win32Driver::Click(w, IDOK); });
  driver_.Dialog(r::IDD_LICENCE, [&](HWND w) { Win32Driver::Click(w, IDOK); });
  driver_.Dialog(r::IDD_INSTALL_TYPE, [&](HWND w) { Win32Driver::CloseBox(w); });
  driver_.Dialog(r::IDD_TARGET_DIR, [&](HWND w) { Win32Driver::CloseBox(w); });
  // The copy page's stops the copy, which says so.
  driver_.Dialog(r::IDD_MAIN, [&](HWND w) { Win32Driver::Click(w, IDOK); });
  driver_.Dialog(r::IDD_LICENCE, [&](HWND w) { Win32Driver::Click(w, IDOK); });
  driver_.Dialog(r::IDD_INSTALL_TYPE, [&](HWND w) { Win32Driver::Click(w, IDOK); });
  driver_.Dialog(r::IDD_TARGET_DIR, [&](HWND w) {
    Win32Driver::Type(w, r::IDC_PATH, target_);
    Win32Driver::Click(w, IDOK);
  });
  driver_.Box([&](HWND box) { Win32Driver::Click(box, IDYES); });
  driver_.Dialog(r::IDD_COPY_PROGRESS, [&](HWND w) { Win32Driver::CloseBox(w); });
  std::string copy_error_caption;
  driver_.Box([&](HWND box) {
    copy_error_caption = Win32Driver::Text(box);
    Win32Driver::Click(box, IDOK);
  });
  // The main dialog's is its exit button.
  driver_.Dialog(r::IDD_MAIN, [&](HWND w) { Win32Driver::CloseBox(w); });
  driver_.Start();
  EXPECT_EQ(main.DoModal(), IDCANCEL);
  driver_.Join();
  EXPECT_FALSE(driver_.stalled()) << "waiting for " << driver_.waiting_for();
  EXPECT_EQ(driver_.steps_left(), 0u);
  EXPECT_EQ(main.outcome(), Outcome::kCancelled) << main.reason();
  EXPECT_EQ(copy_error_caption,
            platform::CodePageToUtf8(Texts("Polski").Get("IDS_E_COPYING_FILES"), 1250));
  EXPECT_TRUE(diagnostics_.empty()) << diagnostics_[0];
}

}  // namespace
}  // namespace cdsetup::app
