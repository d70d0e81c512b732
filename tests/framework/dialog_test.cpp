// The core's semantics, driven through the scripted backend: keys and
// buttons, radio groups, data exchange, posted messages, timers, owner-drawn
// sorted rows.
#include "framework/dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/app.h"
#include "framework/data_exchange.h"
#include "framework/input.h"
#include "support/scripted_ui.h"

namespace cdsetup::framework {
namespace {

using resources::ControlKind;
using resources::ControlTemplate;
using resources::DialogTemplate;
using testing::ScriptedUi;
namespace r = resources;

constexpr ControlTemplate kSampleControls[] = {
    {1, ControlKind::kPushButton, "OK", 10, 100, 50, 14, r::kDefault | r::kTabStop},
    {2, ControlKind::kPushButton, "Cancel", 70, 100, 50, 14, r::kTabStop},
    {10, ControlKind::kEdit, "", 10, 10, 100, 14, r::kBorder | r::kTabStop | r::kAutoHScroll},
    {20, ControlKind::kRadioButton, "A", 10, 30, 50, 10, r::kGroup | r::kTabStop},
    {21, ControlKind::kRadioButton, "B", 10, 40, 50, 10, 0},
    {22, ControlKind::kRadioButton, "C", 10, 50, 50, 10, 0},
    {23, ControlKind::kRadioButton, "Other group", 10, 60, 50, 10, r::kGroup},
    {30, ControlKind::kListBox, "", 120, 10, 80, 80,
     r::kOwnerDrawFixed | r::kSort | r::kNotify | r::kTabStop},
    {50, ControlKind::kStatic, "Label", 10, 80, 50, 8, 0},
};
constexpr DialogTemplate kSample{
    900, "Sample", 0, 0, 210, 120, "MS Sans Serif", 8, r::kCaption | r::kSysMenu, kSampleControls};

class FrameworkTest : public ::testing::Test {
 protected:
  FrameworkTest() {
    ui_.windows.SetTemplateSource(
        [](int id) -> const DialogTemplate* { return id == 900 ? &kSample : nullptr; });
  }
  ScriptedUi ui_;
  CWinApp app_{"cdsetup", ui_.windows};
};

// A list whose rows are records ordered by their first field only, so that
// ties can be seen by the second.
struct Row {
  int key;
  int tag;
};

class RecordList : public CListBox {
 public:
  int CompareItem(LPCOMPAREITEMSTRUCT c) override {
    auto* a = reinterpret_cast<Row*>(c->itemData1);
    auto* b = reinterpret_cast<Row*>(c->itemData2);
    return a->key - b->key;
  }
  void DeleteItem(LPDELETEITEMSTRUCT d) override {
    deleted.push_back(reinterpret_cast<Row*>(d->itemData)->tag);
  }
  std::vector<int> deleted;
};

class SampleDialog : public CDialog {
 public:
  explicit SampleDialog(WindowManager& windows) : CDialog(900, windows) {}
  void DoDataExchange(CDataExchange* dx) override {
    DDX_Control(dx, 30, list);
    DDX_Text(dx, 10, text);
    DDV_MaxChars(dx, text, 8);
  }
  bool OnCommand(UINT id, UINT code, CWnd* source) override {
    commands.push_back(std::to_string(id) + ":" + std::to_string(code));
    if (on_command) on_command(id);
    if (id == 1 && code == BN_CLICKED && post_on_ok) {
      PostMessage(WM_COMMAND, MAKEWPARAM(77, 101), 0);
      commands.push_back("after post");
    }
    return CDialog::OnCommand(id, code, source);
  }
  void OnTimer(UINT id) override {
    ticks.push_back(ui_now ? *ui_now : 0);
    if (ui_now) *ui_now += handler_ms;
    if (pump_in_timer) windows()->PumpPending();  // must not enter again
    if (ticks.size() == 3) KillTimer(id);
    (void)id;
  }
  RecordList list;
  std::string text;
  std::vector<std::string> commands;
  std::vector<std::uint64_t> ticks;
  std::uint64_t* ui_now = nullptr;
  bool post_on_ok = false;
  bool pump_in_timer = false;
  std::uint64_t handler_ms = 0;  // how long a timer message takes
  std::function<void(UINT)> on_command;
};

TEST_F(FrameworkTest, EnterEscapeAndTheCloseBoxEndTheDialog) {
  struct Case {
    const char* name;
    std::vector<ScriptedUi::Step> steps;
    int result;
  };
  std::vector<Case> cases = {
      {"Enter on the edit field presses the default button",
       {ScriptedUi::Do([](CDialog& dlg) { dlg.GetDlgItem(10)->SetFocus(); }),
        ScriptedUi::Key(VK_RETURN)},
       IDOK},
      {"Escape cancels", {ScriptedUi::Key(VK_ESCAPE)}, IDCANCEL},
      {"the close box cancels", {ScriptedUi::Close()}, IDCANCEL},
      {"Enter on a focused push button presses that one",
       {ScriptedUi::Key(VK_TAB), ScriptedUi::Key(VK_RETURN)},
       IDCANCEL},
      {"Tab wraps round to the first control",
       {ScriptedUi::Key(VK_TAB), ScriptedUi::Key(VK_TAB), ScriptedUi::Key(VK_TAB),
        ScriptedUi::Key(VK_TAB), ScriptedUi::Key(VK_TAB), ScriptedUi::Key(VK_RETURN)},
       IDOK},
      {"a click on Cancel", {ScriptedUi::Click(2)}, IDCANCEL},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    SampleDialog d(ui_.windows);
    ui_.ForNextDialog(std::move(c.steps));
    EXPECT_EQ(d.DoModal(), c.result);
    EXPECT_FALSE(d.IsWindow());
  }
  EXPECT_TRUE(ui_.diagnostics.empty());
}

TEST_F(FrameworkTest, RadioClicksStayInsideTheirGroup) {
  SampleDialog d(ui_.windows);
  ui_.ForNextDialog(
      {ScriptedUi::Do([](CDialog& dlg) { dlg.CheckRadioButton(20, 22, 21); }),
       ScriptedUi::Do([](CDialog& dlg) { EXPECT_EQ(dlg.GetCheckedRadioButton(20, 22), 21); }),
       ScriptedUi::Click(23), ScriptedUi::Click(22), ScriptedUi::Do([](CDialog& dlg) {
         EXPECT_EQ(dlg.GetCheckedRadioButton(20, 22), 22);
         EXPECT_EQ(static_cast<CButton*>(dlg.GetDlgItem(21))->GetCheck(), 0);
         EXPECT_EQ(static_cast<CButton*>(dlg.GetDlgItem(23))->GetCheck(), 1);
       }),
       ScriptedUi::Click(1)});
  EXPECT_EQ(d.DoModal(), IDOK);
  EXPECT_EQ(d.commands, (std::vector<std::string>{"23:0", "22:0", "1:0"}));
}

TEST_F(FrameworkTest, TabEntersARadioGroupAtItsCheckedButtonAndArrowsChooseWithinIt) {
  SampleDialog d(ui_.windows);
  auto focus_is = [](int id) {
    return ScriptedUi::Do([id](CDialog& dlg) {
      ASSERT_NE(dlg.state()->focus, nullptr);
      EXPECT_EQ(dlg.state()->focus->id, id);
    });
  };
  auto checked_is = [](int id) {
    return ScriptedUi::Do([id](CDialog& dlg) { EXPECT_EQ(dlg.GetCheckedRadioButton(20, 22), id); });
  };
  ui_.ForNextDialog({
      ScriptedUi::Do([](CDialog& dlg) {
        dlg.CheckRadioButton(20, 22, 21);
        dlg.GetDlgItem(2)->SetFocus();
      }),
      ScriptedUi::Key(VK_TAB),
      focus_is(10),
      // Only the group's first button is a tab stop, yet Tab lands on B.
      ScriptedUi::Key(VK_TAB),
      focus_is(21),
      checked_is(21),
      ScriptedUi::Key(VK_DOWN),
      focus_is(22),
      checked_is(22),
      // Round the group, never into the next one (23 starts its own).
      ScriptedUi::Key(VK_RIGHT),
      focus_is(20),
      checked_is(20),
      ScriptedUi::Key(VK_UP),
      focus_is(22),
      ScriptedUi::Key(VK_LEFT),
      focus_is(21),
      checked_is(21),
      ScriptedUi::Do([](CDialog& dlg) {
        EXPECT_EQ(static_cast<CButton*>(dlg.GetDlgItem(23))->GetCheck(), 0);
        dlg.GetDlgItem(22)->EnableWindow(false);
      }),
      // A disabled button is passed over.
      ScriptedUi::Key(VK_DOWN),
      focus_is(20),
      // Tab leaves the group for the next tab stop.
      ScriptedUi::Key(VK_TAB),
      focus_is(30),
      // Where the interface moved the focus itself, the core follows, but
      // never onto a control that is disabled.
      ScriptedUi::Do([](CDialog& dlg) { EXPECT_TRUE(UserFocus(*dlg.GetDlgItem(10)->state())); }),
      focus_is(10),
      ScriptedUi::Do([](CDialog& dlg) { EXPECT_FALSE(UserFocus(*dlg.GetDlgItem(22)->state())); }),
      focus_is(10),
      ScriptedUi::Click(1),
  });
  EXPECT_EQ(d.DoModal(), IDOK);
  // Each button an arrow reached told the dialog, as a click does.
  EXPECT_EQ(d.commands, (std::vector<std::string>{"22:0", "20:0", "22:0", "21:0", "20:0", "1:0"}));
}

TEST_F(FrameworkTest, TooLongTextIsRefusedAndTheDialogStaysOpen) {
  SampleDialog d(ui_.windows);
  d.text = "start";
  ui_.ForNextDialog({
      ScriptedUi::Do([](CDialog& dlg) {
        // Towards the controls the field got the text and its limit.
        EXPECT_EQ(dlg.GetDlgItem(10)->GetWindowText(), "start");
        EXPECT_EQ(static_cast<CEdit*>(dlg.GetDlgItem(10))->GetLimitText(), 8u);
        // A program may set a longer text; typing stops at the limit.
        dlg.GetDlgItem(10)->SetWindowText("0123456789");
      }),
      ScriptedUi::Click(1),
      ScriptedUi::Do([this](CDialog& dlg) {
        ASSERT_EQ(ui_.boxes.size(), 1u);
        EXPECT_EQ(ui_.boxes[0].text, "Please enter no more than 8 characters.");
        EXPECT_EQ(ui_.boxes[0].caption, "cdsetup");
        EXPECT_EQ(ui_.boxes[0].icon(), MB_ICONEXCLAMATION);
        WindowState* edit = FindChild(*dlg.state(), 10);
        EXPECT_EQ(dlg.state()->focus, edit);
        EXPECT_EQ(edit->sel_start, 0u);
        EXPECT_EQ(edit->sel_end, 10u);
      }),
      ScriptedUi::Type(10, "abcdefghijk"),
      ScriptedUi::Do(
          [](CDialog& dlg) { EXPECT_EQ(dlg.GetDlgItem(10)->GetWindowText(), "abcdefgh"); }),
      ScriptedUi::Click(1),
  });
  EXPECT_EQ(d.DoModal(), IDOK);
  EXPECT_EQ(d.text, "abcdefgh");
}

TEST_F(FrameworkTest, PostedMessagesArriveAfterTheCurrentHandler) {
  SampleDialog d(ui_.windows);
  d.post_on_ok = true;
  d.text = "x";
  ui_.ForNextDialog({ScriptedUi::Key(VK_RETURN)});
  EXPECT_EQ(d.DoModal(), IDOK);
  // The dialog ended in the handler, so the message posted there was dropped
  // with its window: it was never handled inside the handler.
  EXPECT_EQ(d.commands, (std::vector<std::string>{"1:0", "after post"}));

  SampleDialog e(ui_.windows);
  ui_.ForNextDialog({ScriptedUi::Do([](CDialog& dlg) {
                       dlg.PostMessage(WM_COMMAND, MAKEWPARAM(5, 101), 0);
                       static_cast<SampleDialog&>(dlg).commands.push_back("posted");
                     }),
                     ScriptedUi::Do([](CDialog& dlg) {
                       static_cast<SampleDialog&>(dlg).commands.push_back("next step");
                     }),
                     ScriptedUi::Click(2)});
  EXPECT_EQ(e.DoModal(), IDCANCEL);
  EXPECT_EQ(e.commands, (std::vector<std::string>{"posted", "5:101", "next step", "2:0"}));
}

TEST_F(FrameworkTest, TimerTicksInOrderWithoutEnteringItsHandlerAgain) {
  SampleDialog d(ui_.windows);
  d.ui_now = &ui_.now_ms;
  d.pump_in_timer = true;
  ui_.ForNextDialog({ScriptedUi::Do([](CDialog& dlg) { dlg.SetTimer(1, 10); }), ui_.Wait(100),
                     ScriptedUi::Click(2)});
  const std::uint64_t start = ui_.now_ms;
  EXPECT_EQ(d.DoModal(), IDCANCEL);
  EXPECT_EQ(d.ticks, (std::vector<std::uint64_t>{start + 10, start + 20, start + 30}));
}

TEST_F(FrameworkTest, ATimerSlowerThanItsPeriodGetsOneMessagePerPass) {
  SampleDialog d(ui_.windows);
  d.ui_now = &ui_.now_ms;
  d.handler_ms = 25;  // always due again when it returns
  ui_.ForNextDialog({ScriptedUi::Do([](CDialog& dlg) { dlg.SetTimer(1, 10); }),
                     ScriptedUi::Do([&](CDialog&) {
                       ui_.now_ms += 10;
                       ui_.windows.PumpPending();
                       EXPECT_EQ(d.ticks.size(), 1u);  // the caller's events come next
                       ui_.windows.PumpPending();
                       EXPECT_EQ(d.ticks.size(), 2u);
                       // An interface with nothing to draw goes on at once.
                       EXPECT_TRUE(ui_.windows.PumpOnce(/*timers_due_now=*/true));
                       EXPECT_EQ(d.ticks.size(), 3u);
                     }),
                     ScriptedUi::Click(2)});
  EXPECT_EQ(d.DoModal(), IDCANCEL);
}

TEST_F(FrameworkTest, AModalLoopDeliversUnlessItsDeliveryIsUnderWay) {
  SampleDialog d(ui_.windows);
  WindowManager& wm = ui_.windows;
  std::vector<bool> nested;
  d.on_command = [&](UINT id) {
    if (id != 77) return;
    nested.push_back(wm.PumpPendingForLoop(0));  // the loop of a box this handler shows
    nested.push_back(wm.PumpPendingForLoop(1));  // a dialog this handler runs
  };
  ui_.ForNextDialog({ScriptedUi::Do([&](CDialog& dlg) {
                       dlg.PostMessage(WM_COMMAND, MAKEWPARAM(77, 0), 0);
                       dlg.PostMessage(WM_COMMAND, MAKEWPARAM(78, 0), 0);
                       EXPECT_FALSE(wm.PumpPendingForLoop(-1));  // no loop at all
                       EXPECT_TRUE(wm.HasPosted());
                       EXPECT_TRUE(wm.PumpPendingForLoop(0));
                       EXPECT_FALSE(wm.HasPosted());
                     }),
                     ScriptedUi::Click(2)});
  EXPECT_EQ(d.DoModal(), IDCANCEL);
  EXPECT_EQ(nested, (std::vector<bool>{false, true}));
  // 78 came in the nested dialog's delivery, inside 77's handler, once.
  EXPECT_EQ(d.commands, (std::vector<std::string>{"77:0", "78:0", "2:0"}));
}

TEST_F(FrameworkTest, TheWaitForTheNextMessageIsCappedAndZeroWhenOneIsDue) {
  SampleDialog d(ui_.windows);
  ui_.ForNextDialog({ScriptedUi::Do([&](CDialog& dlg) {
                       WindowManager& wm = ui_.windows;
                       EXPECT_EQ(wm.MsUntilNextMessage(50), 50u);  // nothing at all
                       dlg.SetTimer(1, 30);
                       EXPECT_EQ(wm.MsUntilNextMessage(50), 30u);
                       EXPECT_EQ(wm.MsUntilNextMessage(20), 20u);
                       ui_.now_ms += 45;  // overdue
                       EXPECT_EQ(wm.MsUntilNextMessage(50), 0u);
                       dlg.KillTimer(1);
                       dlg.PostMessage(WM_COMMAND, MAKEWPARAM(5, 101), 0);
                       EXPECT_EQ(wm.MsUntilNextMessage(50), 0u);
                     }),
                     ScriptedUi::Click(2)});
  EXPECT_EQ(d.DoModal(), IDCANCEL);
}

TEST_F(FrameworkTest, AnEndedDialogGetsNoMoreTimerMessages) {
  SampleDialog d(ui_.windows);
  d.ui_now = &ui_.now_ms;
  ui_.ForNextDialog({ScriptedUi::Do([](CDialog& dlg) {
    dlg.SetTimer(1, 10);
    dlg.EndDialog(IDOK);
    EXPECT_EQ(dlg.windows()->NextTimerDue(), UINT64_MAX);
  })});
  ui_.now_ms += 100;
  EXPECT_EQ(d.DoModal(), IDOK);
  EXPECT_TRUE(d.ticks.empty());
}

TEST_F(FrameworkTest, SortedOwnerDrawnRowsUseCompareItemAndAreDeletedOnce) {
  SampleDialog d(ui_.windows);
  Row rows[] = {{5, 1}, {2, 2}, {5, 3}, {9, 4}, {2, 5}};
  ui_.ForNextDialog({ScriptedUi::Do([&](CDialog&) {
                       for (Row& row : rows)
                         d.list.AddItemData(reinterpret_cast<std::uintptr_t>(&row));
                       std::vector<int> order;
                       for (int i = 0; i < d.list.GetCount(); ++i) {
                         order.push_back(reinterpret_cast<Row*>(d.list.GetItemData(i))->tag);
                       }
                       // Ties keep the order they came in.
                       EXPECT_EQ(order, (std::vector<int>{2, 5, 1, 3, 4}));
                       Row key{9, 0};
                       EXPECT_EQ(d.list.SelectItem(-1, "", reinterpret_cast<std::uintptr_t>(&key)),
                                 4);
                       d.list.DeleteString(0);
                       EXPECT_EQ(d.list.GetCurSel(), 3);
                     }),
                     ScriptedUi::Click(2)});
  EXPECT_EQ(d.DoModal(), IDCANCEL);
  // One row deleted by hand, the other four with the window.
  std::vector<int> deleted = d.list.deleted;
  std::sort(deleted.begin(), deleted.end());
  EXPECT_EQ(deleted, (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST_F(FrameworkTest, MinimiseRestoreAndRedraw) {
  SampleDialog d(ui_.windows);
  ui_.ForNextDialog({ScriptedUi::Do([](CDialog& dlg) {
                       dlg.ShowWindow(SW_MINIMIZE);
                       EXPECT_TRUE(dlg.IsIconic());
                       dlg.ShowWindow(SW_RESTORE);
                       EXPECT_FALSE(dlg.IsIconic());
                       CWnd* label = dlg.GetDlgItem(50);
                       label->SetRedraw(false);
                       const int before = label->state()->generation;
                       label->Invalidate();
                       EXPECT_EQ(label->state()->generation, before);  // nothing drawn while off
                       label->SetRedraw(true);
                       EXPECT_GT(label->state()->generation, before);
                     }),
                     ScriptedUi::Click(2)});
  EXPECT_EQ(d.DoModal(), IDCANCEL);
}

TEST_F(FrameworkTest, MissingTemplatesControlsAndAnswersAreReportedNotFatal) {
  CDialog missing(12345, ui_.windows);
  EXPECT_EQ(missing.DoModal(), -1);
  ASSERT_EQ(ui_.diagnostics.size(), 1u);
  EXPECT_NE(ui_.diagnostics[0].find("12345"), std::string::npos);

  SampleDialog d(ui_.windows);
  ui_.ForNextDialog({ScriptedUi::Do([](CDialog& dlg) {
                       CStatic extra;
                       EXPECT_FALSE(extra.SubclassDlgItem(4242, &dlg));
                       EXPECT_EQ(dlg.GetDlgItem(4242), nullptr);
                     }),
                     ScriptedUi::Do([](CDialog& dlg) {
                       // Retry is no button of an OK box: its cancel answer stands.
                       EXPECT_EQ(dlg.MessageBox("t", "c", MB_OK, resources::IDP_UNNAMED), IDOK);
                     })});
  ui_.AnswerNextBox(IDRETRY);
  EXPECT_EQ(d.DoModal(), IDCANCEL);  // the script ran out: closed
  EXPECT_GE(ui_.diagnostics.size(), 3u);
}

}  // namespace
}  // namespace cdsetup::framework
