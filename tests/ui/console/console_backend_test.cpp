// The console pages as a person meets them through a pipe, and the
// unattended policy answering them.
#include "ui/console/console_backend.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "framework/app.h"
#include "framework/data_exchange.h"
#include "framework/input.h"
#include "framework/window_manager.h"
#include "support/memory_log.h"

namespace cdsetup::ui::console {
namespace {

using fw::CDialog;
namespace r = resources;

constexpr r::ControlTemplate kControls[] = {
    {1, r::ControlKind::kPushButton, "Dalej", 10, 100, 50, 14, r::kDefault | r::kTabStop},
    {2, r::ControlKind::kPushButton, "Powr\xC3\xB3t", 70, 100, 50, 14, r::kTabStop},
    {3, r::ControlKind::kPushButton, "Ask", 130, 100, 50, 14, r::kTabStop},
    {50, r::ControlKind::kStatic, "Katalog:", 10, 2, 50, 8, 0},
    {10, r::ControlKind::kEdit, "", 10, 10, 100, 14, r::kBorder | r::kTabStop},
    {20, r::ControlKind::kComboBox, "", 10, 30, 100, 60, r::kDropDownList | r::kTabStop},
};
constexpr r::DialogTemplate kPage{901, "Strona",        0, 0,           200,
                                  120, "MS Sans Serif", 8, r::kCaption, kControls};

class Page : public CDialog {
 public:
  Page() : CDialog(901, nullptr) {}
  bool OnInitDialog() override {
    CDialog::OnInitDialog();
    auto* combo = static_cast<fw::CComboBox*>(GetDlgItem(20));
    combo->AddString("min");
    combo->AddString("std");
    combo->SetCurSel(1);
    return true;
  }
  void DoDataExchange(fw::CDataExchange* dx) override {
    fw::DDX_Text(dx, 10, path);
    fw::DDX_CBString(dx, 20, type);
  }
  bool OnCommand(fw::UINT id, fw::UINT code, fw::CWnd* source) override {
    if (id == 3 && code == fw::BN_CLICKED) {
      answer = MessageBox("Utworzy\xE6 katalog?", "Pytanie", fw::MB_YESNO | fw::MB_ICONQUESTION,
                          resources::IDP_CREATE_DIRECTORY);
      return true;
    }
    return CDialog::OnCommand(id, code, source);
  }
  std::string path, type;
  int answer = 0;
};

class ConsoleTest : public ::testing::Test {
 protected:
  ConsoleTest() {
    fw::WindowManager::Get().SetTemplateSource(
        [](int id) -> const r::DialogTemplate* { return id == 901 ? &kPage : nullptr; });
    // Templates are UTF-8, the windows hold code page 1250.
    fw::WindowManager::Get().SetResourceTextDecoder([](std::string_view s) {
      std::string out(s);
      for (std::size_t at; (at = out.find("\xC3\xB3")) != std::string::npos;)
        out.replace(at, 2, "\xF3");
      return out;
    });
  }
  ~ConsoleTest() override {
    fw::WindowManager::Get().SetBackend(nullptr);
    fw::WindowManager::Get().SetTemplateSource(nullptr);
    fw::WindowManager::Get().SetResourceTextDecoder(nullptr);
  }

  // Runs the page with `input` arriving through a pipe; returns what was printed.
  std::string RunPiped(Page& page, const std::string& input,
                       fw::UnattendedPolicy* policy = nullptr) {
    int fds[2];
    EXPECT_EQ(::pipe(fds), 0);
    EXPECT_EQ(::write(fds[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));
    ::close(fds[1]);
    std::FILE* in = ::fdopen(fds[0], "r");
    char* buf = nullptr;
    std::size_t len = 0;
    std::FILE* out = ::open_memstream(&buf, &len);
    ConsoleOptions o;
    o.in = in;
    o.out = out;
    o.log = &log_;
    // The terminal speaks UTF-8: "ó" and "ć" of code page 1250.
    o.to_terminal = [](std::string_view ansi) {
      std::string t;
      for (char c : ansi) {
        if (c == '\xF3') {
          t += "\xC3\xB3";
        } else if (c == '\xE6') {
          t += "\xC4\x87";
        } else {
          t += c;
        }
      }
      return t;
    };
    o.policy = policy;
    ConsoleBackend backend(o);
    fw::WindowManager::Get().SetBackend(&backend);
    result = page.DoModal();
    std::fclose(in);
    std::fclose(out);
    std::string printed(buf, len);
    std::free(buf);
    return printed;
  }

  fw::CWinApp app_{"cdsetup"};
  /// The lines logged so far.
  const std::vector<std::string>& log() const { return log_.lines(); }
  testing::MemoryLog log_;
  int result = 0;
};

TEST_F(ConsoleTest, APersonWalksThePageAndAMessageBox) {
  Page page;
  // Field 4 is the edit (buttons 1-3 come first in window order), 5 the combo.
  // After the box the focus is on "Ask", so Enter would ask again: "1" goes on.
  std::string out = RunPiped(page, "4 C:\\Gry\n5.0\n3\nx\ny\n1\n");
  EXPECT_EQ(result, fw::IDOK) << out;
  EXPECT_EQ(page.path, "C:\\Gry");
  EXPECT_EQ(page.type, "min");
  EXPECT_EQ(page.answer, fw::IDYES);
  EXPECT_NE(out.find("== Strona =="), std::string::npos) << out;
  EXPECT_NE(out.find("[2] Powr\xC3\xB3t"), std::string::npos) << out;
  EXPECT_NE(out.find("[1] Dalej (Enter)"), std::string::npos) << out;
  EXPECT_NE(out.find("> 5.1  std"), std::string::npos) << out;  // the row picked at start
  EXPECT_NE(out.find("Utworzy\xC4\x87 katalog?"), std::string::npos) << out;
  EXPECT_NE(out.find("[1] Yes (Enter)  [2] No"), std::string::npos) << out;
  EXPECT_NE(out.find("not one of the buttons"), std::string::npos) << out;
  EXPECT_NE(out.find("[C:\\Gry]"), std::string::npos) << out;
}

TEST_F(ConsoleTest, EndOfInputCancelsPagesAndBoxes) {
  Page page;
  RunPiped(page, "3\n");
  EXPECT_EQ(page.answer, fw::IDNO);  // a Yes/No box cancelled answers No
  EXPECT_EQ(result, fw::IDCANCEL);
  EXPECT_FALSE(log().empty());
  EXPECT_EQ(log().back(), "input ended: page cancelled");

  Page unknown;
  RunPiped(unknown, "99\nfoo\n2\n");
  EXPECT_EQ(result, fw::IDCANCEL);
}

class TypingPolicy : public fw::UnattendedPolicy {
 public:
  bool AnswerDialog(CDialog& dialog,
                    const std::function<void(const std::string&)>& announce) override {
    ++asked;
    if (!answers) return false;
    announce("typed D:\\Gry, Dalej");
    fw::UserType(*fw::FindChild(*dialog.state(), 10), "D:\\Gry");
    fw::UserClick(*fw::FindChild(*dialog.state(), 3));
    fw::UserClick(*fw::FindChild(*dialog.state(), 1));
    return true;
  }
  int AnswerMessageBox(const fw::MessageBoxRequest&) override { return fw::IDNO; }
  bool answers = true;
  int asked = 0;
};

TEST_F(ConsoleTest, UnattendedPagesAreAnsweredByThePolicyAndLogged) {
  TypingPolicy policy;
  Page page;
  RunPiped(page, "", &policy);
  EXPECT_EQ(result, fw::IDOK);
  EXPECT_EQ(page.path, "D:\\Gry");
  EXPECT_EQ(page.answer, fw::IDNO);
  ASSERT_EQ(log().size(), 3u);
  EXPECT_EQ(log()[0], "page 901 shown: Strona");
  EXPECT_EQ(log()[1], "page 901: typed D:\\Gry, Dalej");
  EXPECT_EQ(log()[2], "message create-directory (question) Pytanie: Utworzy\xE6 katalog? -> No");

  policy.answers = false;
  log_ = testing::MemoryLog();
  Page refused;
  RunPiped(refused, "", &policy);
  EXPECT_EQ(result, fw::IDCANCEL);
  EXPECT_EQ(log().back(), "page 901: no answer; cancelled");
}

}  // namespace
}  // namespace cdsetup::ui::console
