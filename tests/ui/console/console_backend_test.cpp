// The console pages as a person meets them through a pipe or at a terminal,
// and the unattended policy answering them.
#include "ui/console/console_backend.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "framework/app.h"
#include "framework/data_exchange.h"
#include "framework/input.h"
#include "framework/window_manager.h"
#include "platform/prefix/code_page.h"
#include "support/memory_log.h"
#include "support/pseudo_terminal.h"

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
  explicit Page(fw::WindowManager& windows) : CDialog(901, windows) {}
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
    fw::DDV_MaxChars(dx, path, 12);
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

// A page that works by itself, as the copy does: a bar, a label naming the
// work and an abort button; each timer message is a step.
constexpr r::ControlTemplate kWorkControls[] = {
    {r::IDC_PROGRESS, r::ControlKind::kProgress, "", 35, 26, 168, 14, r::kBorder},
    {r::IDC_CURRENT_FILE, r::ControlKind::kStatic, "", 15, 13, 196, 8, 0},
    {2, r::ControlKind::kPushButton, "Przerwij", 93, 50, 50, 14, r::kTabStop},
};
constexpr r::DialogTemplate kWork{
    902, "Kopiowanie plik\xC3\xB3w", 0, 0, 240, 70, "MS Sans Serif", 8, r::kCaption, kWorkControls};

class WorkPage : public CDialog {
 public:
  explicit WorkPage(fw::WindowManager& windows) : CDialog(902, windows) {}
  bool OnInitDialog() override {
    CDialog::OnInitDialog();
    static_cast<fw::CProgressCtrl*>(GetDlgItem(r::IDC_PROGRESS))->SetRange(0, steps);
    SetTimer(1, 10);
    return true;
  }
  void OnTimer(fw::UINT) override {
    ++ticks;
    if (on_tick) on_tick(ticks);
    GetDlgItem(r::IDC_CURRENT_FILE)
        ->SetWindowText("Dane\\Poziomy\\bardzo_d\xB3uga_nazwa_pliku_" + std::to_string(ticks) +
                        ".dat");
    static_cast<fw::CProgressCtrl*>(GetDlgItem(r::IDC_PROGRESS))->SetPos(ticks);
    if (ticks == steps) OnOK();
  }
  int steps = 50;
  int ticks = 0;
  std::function<void(int)> on_tick;
};

// A licence of long lines and a list of many rows, longer than a terminal.
constexpr r::ControlTemplate kLongControls[] = {
    {1, r::ControlKind::kPushButton, "OK", 10, 200, 50, 14, r::kDefault | r::kTabStop},
    {30, r::ControlKind::kEdit, "", 10, 10, 300, 180,
     r::kBorder | r::kMultiLine | r::kReadOnly | r::kVScroll},
    {40, r::ControlKind::kListBox, "", 10, 10, 300, 180, r::kBorder | r::kVScroll | r::kTabStop},
};
constexpr r::DialogTemplate kLong{903, "Licencja",      0, 0,           320,
                                  220, "MS Sans Serif", 8, r::kCaption, kLongControls};

class LongPage : public CDialog {
 public:
  LongPage(fw::WindowManager& windows, bool list) : CDialog(903, windows), list_(list) {}
  bool OnInitDialog() override {
    CDialog::OnInitDialog();
    GetDlgItem(list_ ? 30 : 40)->ShowWindow(fw::SW_HIDE);
    if (list_) {
      auto* rows = static_cast<fw::CListBox*>(GetDlgItem(40));
      for (int i = 0; i < 131; ++i) rows->AddString("Folder " + std::to_string(i));
    } else {
      std::string text;
      for (int line = 0; line < 300; ++line) {
        // Longer than any terminal here is wide.
        for (int word = 0; word < 30; ++word) {
          text += (word ? " w" : "w") + std::to_string(line * 30 + word);
        }
        text += "\r\n";
      }
      GetDlgItem(30)->SetWindowText(text);
    }
    return true;
  }

 private:
  bool list_;
};

class ConsoleTest : public ::testing::Test {
 protected:
  ConsoleTest() {
    windows_.SetTemplateSource([](int id) -> const r::DialogTemplate* {
      return id == 901 ? &kPage : id == 902 ? &kWork : id == 903 ? &kLong : nullptr;
    });
    // Templates are UTF-8, the windows hold code page 1250.
    windows_.SetResourceTextDecoder(
        [this](std::string_view utf8) { return cp1250_.FromUtf8(utf8); });
  }

  // The backend on the program's side of `terminal`, as main sets it up.
  ConsoleOptions AtTerminal(testing::PseudoTerminal& terminal) {
    ConsoleOptions o;
    o.in = terminal.in();
    o.out = terminal.out();
    o.log = &log_;
    o.to_terminal = [this](std::string_view ansi) { return cp1250_.ToUtf8(ansi); };
    o.from_utf8 = [this](std::string_view utf8) { return cp1250_.FromUtf8(utf8); };
    return o;
  }

  // Types `keys` and waits until the program's side can read them.
  static void TypeNow(testing::PseudoTerminal& terminal, std::string_view keys) {
    terminal.Type(keys);
    pollfd p{::fileno(terminal.in()), POLLIN, 0};
    ::poll(&p, 1, 2000);
  }

  bool Logged(std::string_view line) const {
    for (const std::string& l : log()) {
      if (l == line) return true;
    }
    return false;
  }
  ~ConsoleTest() override { windows_.SetBackend(nullptr); }

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
    // The terminal speaks UTF-8; the pages' texts are in code page 1250.
    o.to_terminal = [this](std::string_view ansi) { return cp1250_.ToUtf8(ansi); };
    o.from_utf8 = [this](std::string_view utf8) { return cp1250_.FromUtf8(utf8); };
    o.policy = policy;
    ConsoleBackend backend(o);
    windows_.SetBackend(&backend);
    windows_.SetLanguage(language_);
    result = page.DoModal();
    std::fclose(in);
    std::fclose(out);
    std::string printed(buf, len);
    std::free(buf);
    return printed;
  }

  fw::WindowManager windows_;
  fw::CWinApp app_{"cdsetup", windows_};
  /// The lines logged so far.
  const std::vector<std::string>& log() const { return log_.lines(); }
  testing::MemoryLog log_;
  int result = 0;
  unsigned language_ = 0;  // of the pages' texts, for our own
  platform::CodePage cp1250_{1250};
};

TEST_F(ConsoleTest, APersonWalksThePageAndAMessageBox) {
  Page page(windows_);
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
  Page page(windows_);
  RunPiped(page, "3\n");
  EXPECT_EQ(page.answer, fw::IDNO);  // a Yes/No box cancelled answers No
  EXPECT_EQ(result, fw::IDCANCEL);
  EXPECT_FALSE(log().empty());
  EXPECT_EQ(log().back(), "input ended: page cancelled");

  Page unknown(windows_);
  RunPiped(unknown, "99\nfoo\n2\n");
  EXPECT_EQ(result, fw::IDCANCEL);
}

TEST_F(ConsoleTest, BlanksAreIgnoredHelpIsOfferedAndAnOverlongTextIsRefusedWithItsMessage) {
  Page page(windows_);
  // The 13 characters do not fit the field's 12: the validation message
  // comes, Enter closes it, and the page asks again.
  std::string out = RunPiped(page, "  ?  \n4 C:\\Gry\\Demo12\n\n  4   C:\\Gry  \n 1 \n");
  EXPECT_EQ(result, fw::IDOK) << out;
  EXPECT_EQ(page.path, "C:\\Gry");
  EXPECT_NE(out.find("? for help"), std::string::npos) << out;
  EXPECT_NE(out.find("press the (Enter) button"), std::string::npos) << out;
  EXPECT_NE(out.find("Please enter no more than 12 characters."), std::string::npos) << out;
  EXPECT_EQ(out.find("not understood"), std::string::npos) << out;
  EXPECT_EQ(out.find("[C:\\Gry\\Demo12]"), std::string::npos) << out;
}

TEST_F(ConsoleTest, KeysTypedBeforeAQuestionIsShownAnswerNothing) {
  testing::PseudoTerminal terminal(80);
  ASSERT_TRUE(terminal.ok());
  ConsoleBackend backend(AtTerminal(terminal));
  windows_.SetBackend(&backend);
  // "1 Enter 1 Enter" typed while the page works would confirm the box after
  // it and say Yes to the next one.
  WorkPage work(windows_);
  work.on_tick = [&](int tick) {
    if (tick == 3) TypeNow(terminal, "1\n1\n");
  };
  EXPECT_EQ(work.DoModal(), fw::IDOK);
  terminal.Answer("answer (", "2\n");
  EXPECT_EQ(fw::AfxMessageBox(windows_, "Zainstalowa\xE6 edytor?", fw::MB_YESNO,
                              resources::IDP_RUN_EXTRA_PROGRAM),
            fw::IDNO);
  // Typed between two questions, before the second is shown.
  TypeNow(terminal, "1\n");
  terminal.Answer("answer (", "n\n");
  EXPECT_EQ(fw::AfxMessageBox(windows_, "Zainstalowa\xE6 DirectX?", fw::MB_YESNO,
                              resources::IDP_RUN_EXTRA_PROGRAM),
            fw::IDNO);
  // A page drops them too; what comes after its prompt is the answer.
  TypeNow(terminal, "2\n");
  terminal.Answer("for help): ", "1\n");
  Page page(windows_);
  EXPECT_EQ(page.DoModal(), fw::IDOK) << terminal.Output();
}

TEST_F(ConsoleTest, TheAbortKeyEscapeAndAnInterruptPressTheAbortButton) {
  struct Case {
    const char* keys;  // typed at the third step; null: an interrupt
    int result;
    const char* logged;
  };
  const Case cases[] = {
      {"a", fw::IDCANCEL, "abort key pressed: the abort button pressed"},
      {"\x1b", fw::IDCANCEL, "Escape pressed: the abort button pressed"},
      {nullptr, fw::IDCANCEL, "interrupted: the abort button pressed"},
      // An arrow key starts with Escape but is no abort; nor is Enter.
      {"\x1b[A\n", fw::IDOK, nullptr},
  };
  Interrupts::Catch();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys ? c.keys : "SIGINT");
    log_ = testing::MemoryLog();
    testing::PseudoTerminal terminal(80);
    ConsoleBackend backend(AtTerminal(terminal));
    windows_.SetBackend(&backend);
    WorkPage work(windows_);
    work.on_tick = [&](int tick) {
      if (tick != 3) return;
      if (c.keys) {
        TypeNow(terminal, c.keys);
      } else {
        std::raise(SIGINT);
      }
    };
    EXPECT_EQ(work.DoModal(), c.result);
    if (c.logged) {
      EXPECT_TRUE(Logged(c.logged)) << ::testing::PrintToString(log());
      EXPECT_LT(work.ticks, work.steps);
    }
    // The page shows its caption and how to abort.
    EXPECT_TRUE(terminal.WaitFor("== Kopiowanie plik\xC3\xB3w ==\r\n  [a] Przerwij (a or Esc)"))
        << terminal.Output();
    if (!c.keys) {
      // The interrupt pressed the abort button and nothing else: the next
      // question waits for its answer.
      terminal.Answer("answer (", "1\n");
      EXPECT_EQ(
          fw::AfxMessageBox(windows_, "Dalej?", fw::MB_YESNO, resources::IDP_RUN_EXTRA_PROGRAM),
          fw::IDYES);
    }
  }
}

TEST_F(ConsoleTest, ProgressRewritesOneLineThatFitsTheTerminalAndFollowsItsWidth) {
  for (int columns : {80, 40}) {
    SCOPED_TRACE(columns);
    testing::PseudoTerminal terminal(columns);
    ConsoleBackend backend(AtTerminal(terminal));
    windows_.SetBackend(&backend);
    WorkPage work(windows_);
    const int wider = columns + 20;
    work.on_tick = [&](int tick) {
      if (tick == 30) terminal.Resize(wider);
    };
    EXPECT_EQ(work.DoModal(), fw::IDOK);
    std::fflush(terminal.out());
    ASSERT_TRUE(terminal.WaitFor("100% ")) << terminal.Output();
    ::usleep(50000);  // the last redraw and its line end
    const std::string out = terminal.Output();
    const std::size_t from = out.find("(a or Esc)\r\n");
    ASSERT_NE(from, std::string::npos) << out;
    const std::string progress = out.substr(from + 14);
    // One line: rewritten after \r, ended once.
    EXPECT_EQ(progress.find('\n'), progress.size() - 1) << progress;
    std::size_t widest = 0, redraws = 0;
    for (const std::size_t chars : testing::RewrittenLineWidths(progress)) {
      ++redraws;
      EXPECT_LE(chars, static_cast<std::size_t>(wider - 1));
      if (redraws < 25) {
        EXPECT_EQ(chars, static_cast<std::size_t>(columns - 1));
      }
      widest = std::max(widest, chars);
    }
    EXPECT_GT(redraws, 10u);
    // However narrow, each line ends with the end of the file's name.
    std::size_t names = 0;
    for (std::size_t at = progress.find(".dat"); at != std::string::npos;
         at = progress.find(".dat", at + 1)) {
      ++names;
    }
    EXPECT_EQ(names, redraws) << progress;
    // After the window grew, the line did too.
    EXPECT_EQ(widest, static_cast<std::size_t>(wider - 1));
  }
}

TEST_F(ConsoleTest, OurOwnWordsAreInThePagesLanguageAndItsLettersAnswerTheBoxes) {
  struct Case {
    unsigned language;
    const char* input;  // "x" is not understood; "3" asks; then the box's answer
    std::vector<const char*> shown;
    std::vector<const char*> absent;
  };
  const Case cases[] = {
      {0x0415,
       "x\n?\n3\nt\n4 C:\\Gry\\Demo12\n\n1\n",
       {"Wpisz numer i naci\xC5\x9Bnij Enter (? to pomoc): ",
        "nie rozumiem; spr\xC3\xB3"
        "buj jeszcze raz",
        "wpisz \"tekst\" w pole 3", "-- Pytanie [pytanie] --", "[1] Tak (Enter)  [2] Nie",
        "odpowied\xC5\xBA (",
        "Liczba znak\xC3\xB3w nie mo\xC5\xBC"
        "e przekroczy\xC4\x87 12.",
        "[ostrze\xC5\xBC"
        "enie]"},
       {"Type", "not understood", "Yes", "answer", "question", "help", "Please", "warning"}},
      // A language we have no words of gets the English ones; "y" answers.
      {0x0407,
       "x\n?\n3\ny\n4 C:\\Gry\\Demo12\n\n1\n",
       {"Type a number and press Enter (? for help): ", "not understood; try again",
        "type \"text\" into field 3", "-- Pytanie [question] --", "[1] Yes (Enter)  [2] No",
        "answer (", "Please enter no more than 12 characters.", "[warning]"},
       {"Wpisz", "Tak"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language);
    language_ = c.language;
    Page page(windows_);
    const std::string out = RunPiped(page, c.input);
    EXPECT_EQ(result, fw::IDOK) << out;
    EXPECT_EQ(page.answer, fw::IDYES) << out;
    for (const char* text : c.shown) EXPECT_NE(out.find(text), std::string::npos) << text << out;
    for (const char* text : c.absent) EXPECT_EQ(out.find(text), std::string::npos) << text << out;
  }
}

TEST_F(ConsoleTest, TheTabAndEscapeKeysMoveTheFocusAndLeaveThePage) {
  Page page(windows_);
  // Typed as keys, not words: each used to press the (Enter) button.
  const std::string out = RunPiped(page, "\t\n \t \n\x1b\n");
  EXPECT_EQ(result, fw::IDCANCEL) << out;
  EXPECT_EQ(page.answer, 0) << out;  // "Ask" got the focus, and was not pressed
  EXPECT_NE(out.find("[2] Powr\xC3\xB3t (Enter) <"), std::string::npos) << out;
  EXPECT_NE(out.find("[3] Ask (Enter) <"), std::string::npos) << out;
  EXPECT_EQ(out.find("not understood"), std::string::npos) << out;
}

// The lines of the first page printed after `from` in `out`, up to its prompt.
std::vector<std::string> PageLines(const std::string& out, std::size_t from) {
  std::vector<std::string> lines;
  const std::size_t end = out.find("for help): ", from);
  for (std::size_t at = from; at < end;) {
    const std::size_t next = std::min(out.find("\r\n", at), end);
    lines.push_back(out.substr(at, next - at));
    at = next + 2;
  }
  return lines;
}

TEST_F(ConsoleTest, LongTextsAndListsFitTheTerminalAndPageByItsRows) {
  for (const bool list : {false, true}) {
    for (const int columns : {80, 40}) {
      SCOPED_TRACE(std::string(list ? "list at " : "licence at ") + std::to_string(columns));
      testing::PseudoTerminal terminal(columns, 24);
      ConsoleBackend backend(AtTerminal(terminal));
      windows_.SetBackend(&backend);
      terminal.Answer("for help): ", "more\n");
      terminal.Answer("for help): ", list ? "2.120\n" : "more\n");
      terminal.Answer("for help): ", "1\n");
      LongPage page(windows_, list);
      ASSERT_EQ(page.DoModal(), fw::IDOK);
      const std::string out = terminal.Output();
      std::vector<std::vector<std::string>> pages;
      for (std::size_t at = out.find("== Licencja =="); at != std::string::npos;
           at = out.find("== Licencja ==", at + 1)) {
        pages.push_back(PageLines(out, at));
      }
      ASSERT_EQ(pages.size(), 3u) << out;
      std::vector<std::string> firsts;  // the first row of the text or list each time
      for (const std::vector<std::string>& lines : pages) {
        // A blank line, the caption, the rows and the prompt fit the screen:
        // nothing scrolls away, and no row is left unused.
        EXPECT_EQ(lines.size() + 1, 24u) << out;
        ASSERT_GE(lines.size(), 2u);
        EXPECT_NE(lines[lines.size() - 2].find("[1] OK"), std::string::npos) << out;
        std::size_t text_column = std::string::npos;
        bool first = true;
        for (const std::string& line : lines) {
          EXPECT_LT(line.size(), static_cast<std::size_t>(columns)) << line;
          const std::size_t folder = line.find("Folder ");
          const bool row = list ? folder != std::string::npos : line.rfind("  | ", 0) == 0;
          if (!row) continue;
          if (first) {
            first = false;
            text_column = folder;
            firsts.push_back(line);
          }
          if (list) {
            // The rows' texts line up whatever their numbers' widths.
            EXPECT_EQ(folder, text_column) << line;
          } else {
            // Broken between words, inside the frame.
            std::istringstream words(line.substr(4));
            for (std::string word; words >> word;) EXPECT_EQ(word[0], 'w') << line;
          }
        }
      }
      ASSERT_EQ(firsts.size(), 3u) << out;
      EXPECT_NE(firsts[0], firsts[1]);  // "more" went on
      if (list) {
        // The row picked came into view.
        EXPECT_NE(out.find("> 2.120  Folder 120"), std::string::npos) << out;
      } else {
        EXPECT_NE(firsts[1], firsts[2]);
        EXPECT_NE(out.find("; type \"more\""), std::string::npos) << out;
        // A box's long caption and text break between words too.
        std::string words;
        for (int i = 0; i < 12; ++i) words += (i ? " " : "") + std::string("wolves");
        terminal.Answer("or Enter): ", "1\n");
        fw::MessageBoxRequest box;
        box.caption = words;
        box.text = words + " " + words;
        box.type = fw::MB_OK | fw::MB_ICONINFORMATION;
        EXPECT_EQ(backend.MessageBox(box), fw::IDOK);
        const std::string shown = terminal.Output().substr(out.size());
        std::istringstream rows(shown.substr(0, shown.find("answer (")));
        int wolves = 0;
        for (std::string row; std::getline(rows, row);) {
          if (!row.empty() && row.back() == '\r') row.pop_back();
          EXPECT_LE(row.size(), static_cast<std::size_t>(columns)) << row;
          std::istringstream tokens(row);
          for (std::string token; tokens >> token;) {
            if (token[0] != 'w') continue;
            EXPECT_EQ(token, "wolves") << row;
            ++wolves;
          }
        }
        EXPECT_EQ(wolves, 36) << shown;
      }
    }
  }
}

TEST_F(ConsoleTest, ATextTooLongIsGivenBackToBeShortened) {
  testing::PseudoTerminal terminal(80);
  ConsoleBackend backend(AtTerminal(terminal));
  windows_.SetBackend(&backend);
  terminal.Answer("for help): ", "4 C:\\Gry\\Demo12\n");
  terminal.Answer("answer (", "\n");  // the warning: 13 characters, 12 taken
  // Home, Delete twice; End, Backspace: 10 characters left.
  terminal.Answer("text: C:\\Gry\\Demo12", "\x1b[H\x1b[3~\x1b[3~\x1b[F\x7f\r");
  terminal.Answer("for help): ", "1\n");
  Page page(windows_);
  EXPECT_EQ(page.DoModal(), fw::IDOK) << terminal.Output();
  EXPECT_EQ(page.path, "\\Gry\\Demo1") << terminal.Output();
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
  Page page(windows_);
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
  Page refused(windows_);
  RunPiped(refused, "", &policy);
  EXPECT_EQ(result, fw::IDCANCEL);
  EXPECT_EQ(log().back(), "page 901: no answer; cancelled");
}

}  // namespace
}  // namespace cdsetup::ui::console
