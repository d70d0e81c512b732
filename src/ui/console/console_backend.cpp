#include "ui/console/console_backend.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <vector>

#include "base/ascii.h"
#include "framework/app.h"
#include "framework/controls.h"
#include "framework/data_exchange.h"
#include "framework/input.h"
#include "framework/window_manager.h"
#include "resources/resource_ids.h"
#include "ui/console/terminal.h"

namespace cdsetup::ui::console {

// The framework's ids are macros where <windows.h> is seen: never qualified.
using namespace framework;
namespace {

using fw::WindowClass;
using fw::WindowState;

struct Button {
  int answer;
  const char* label;
};

std::vector<Button> ButtonsOf(const fw::MessageBoxRequest& r) {
  switch (r.buttons()) {
    case MB_OKCANCEL:
      return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case MB_YESNO:
      return {{IDYES, "Yes"}, {IDNO, "No"}};
    case MB_RETRYCANCEL:
      return {{IDRETRY, "Retry"}, {IDCANCEL, "Cancel"}};
    default:
      return {{IDOK, "OK"}};
  }
}

const char* IconName(fw::UINT icon) {
  switch (icon) {
    case MB_ICONSTOP:
      return "error";
    case MB_ICONQUESTION:
      return "question";
    case MB_ICONEXCLAMATION:
      return "warning";
    case MB_ICONINFORMATION:
      return "information";
    default:
      return nullptr;
  }
}

bool HasTimers(const WindowState& w) {
  if (!w.timers.empty()) return true;
  return std::any_of(w.children.begin(), w.children.end(),
                     [](const WindowState* c) { return HasTimers(*c); });
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    std::string line =
        text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

// UTF-8 text cut to `columns` characters (one column each: the code pages'
// letters are all narrow) and padded with blanks to exactly that many, so a
// shorter line overwrites a longer one.
std::string FitColumns(const std::string& text, std::size_t columns) {
  std::string out;
  std::size_t used = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool starts_character = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
    if (starts_character && used == columns) break;
    if (starts_character) ++used;
    out.push_back(text[i]);
  }
  out.append(columns - used, ' ');
  return out;
}

constexpr const char* kPrompt = "Type a number and press Enter (? for help): ";

constexpr const char* kHelp =
    "  3          press button 3, choose option 3, or type into field 3\n"
    "             (the text is asked for on the next line)\n"
    "  3 text     type \"text\" into field 3 at once\n"
    "  4.2        pick row 2 of list 4\n"
    "  4.2!       open row 2 of list 4, as a double-click does\n"
    "  Enter      press the button marked (Enter)\n"
    "  tab        move to the next control (the one marked <)\n"
    "  more       show the next lines of a long text\n"
    "  q          leave the page, as Escape does\n";

// The controls a person can act on, numbered from 1 in window order.
std::vector<WindowState*> Actionable(const WindowState& dialog) {
  std::vector<WindowState*> out;
  for (WindowState* c : dialog.children) {
    if (!c->visible) continue;
    if (c->cls == WindowClass::kStatic || c->cls == WindowClass::kProgress) continue;
    if (c->cls == WindowClass::kButton && (c->style & fw::kStyleGroupBox)) continue;
    if (c->cls == WindowClass::kEdit && (c->style & fw::kStyleReadOnly)) continue;
    out.push_back(c);
  }
  return out;
}

}  // namespace

void ConsoleBackend::Log(const std::string& line) const {
  base::WriteTo(o_.log, line);
}

std::string ConsoleBackend::Term(std::string_view text, bool name) const {
  // Without converters of their own, names are converted as texts are.
  const auto& convert = name && o_.name_to_terminal ? o_.name_to_terminal : o_.to_terminal;
  return convert ? convert(text) : std::string(text);
}

std::string ConsoleBackend::FromTermFor(const WindowState& control, std::string_view typed) const {
  const auto& convert =
      control.holds_names && o_.name_from_terminal ? o_.name_from_terminal : o_.from_terminal;
  return convert ? convert(typed) : std::string(typed);
}

ConsoleBackend::Input ConsoleBackend::ReadLine(std::string* line) {
  std::fflush(o_.out);
  line->clear();
  // Once interrupted, no question waits for an answer any more.
  if (Interrupts::Raised()) return Input::kInterrupted;
  int c;
  bool any = false;
  while ((c = std::fgetc(o_.in)) != EOF) {
    any = true;
    if (c == '\n') break;
    line->push_back(static_cast<char>(c));
  }
  if (c == EOF && Interrupts::Raised()) {
    std::clearerr(o_.in);
    return Input::kInterrupted;
  }
  if (!line->empty() && line->back() == '\r') line->pop_back();
  return any ? Input::kLine : Input::kEnded;
}

std::string ConsoleBackend::RowText(WindowState& list, int row, int* indent) {
  *indent = 0;
  auto* control = dynamic_cast<fw::CListControl*>(list.wnd);
  if (control && control->OwnerDrawn()) {
    // The row shows what its owner draws: its texts, indented as drawn.
    fw::CDC dc([this](const fw::CFont& f, const std::string& t) { return MeasureText(f, t); });
    control->PaintRow(dc, row, 0, {0, 0, list.rect.Width(), list.item_height});
    std::string text;
    for (const fw::DrawOp& op : dc.ops()) {
      if (op.kind != fw::DrawOp::kText) continue;
      if (text.empty()) *indent = std::max(0, (op.rect.left - 23) / 5);
      text += Term(op.text, op.name);
    }
    return text;
  }
  return Term(list.items[static_cast<std::size_t>(row)].text, list.holds_names);
}

std::string ConsoleBackend::RenderPage(fw::CDialog& dialog) {
  WindowState& d = *dialog.state();
  std::string page = "\n== " + Term(d.text) + " ==\n";
  const std::vector<WindowState*> act = Actionable(d);
  auto number = [&](const WindowState* w) {
    auto it = std::find(act.begin(), act.end(), w);
    return it == act.end() ? 0 : static_cast<int>(it - act.begin()) + 1;
  };
  const int def = dialog.GetDefID();
  std::string buttons;
  for (WindowState* c : d.children) {
    if (!c->visible) continue;
    const std::string tag = "[" + std::to_string(number(c)) + "] ";
    const std::string focus = d.focus == c ? " <" : "";
    switch (c->cls) {
      case WindowClass::kStatic:
        if (!c->text.empty()) page += "  " + Term(c->text) + "\n";
        break;
      case WindowClass::kProgress: {
        const int span = std::max(1, c->range_hi - c->range_lo);
        const int filled = std::clamp((c->pos - c->range_lo) * 30 / span, 0, 30);
        page += "  [" + std::string(static_cast<std::size_t>(filled), '#') +
                std::string(static_cast<std::size_t>(30 - filled), '.') + "]\n";
        break;
      }
      case WindowClass::kButton:
        if (c->style & fw::kStyleGroupBox) {
          page += "  -- " + Term(c->text) + " --\n";
        } else if (c->style & fw::kStyleAutoRadioButton) {
          page += "  " + tag + (c->check ? "(*) " : "( ) ") + Term(c->text) + focus + "\n";
        } else {
          buttons += "  " + tag + Term(c->text) + (c->id == def ? " (Enter)" : "") + focus;
        }
        break;
      case WindowClass::kEdit:
        if (c->style & fw::kStyleMultiLine) {
          std::vector<std::string> lines = SplitLines(c->text);
          const std::size_t shown = std::min(lines.size(), static_cast<std::size_t>(o_.page_lines));
          const std::size_t from = std::min(c->sel_start, lines.size());  // the scroll position
          page += "  +----\n";
          for (std::size_t i = from; i < std::min(lines.size(), from + shown); ++i) {
            page += "  | " + Term(lines[i]) + "\n";
          }
          if (from + shown < lines.size()) {
            page += "  +---- " + std::to_string(lines.size() - from - shown) +
                    " more lines: type \"more\"\n";
          } else {
            page += "  +----\n";
          }
        } else {
          page += "  " + tag + "[" + Term(c->text, c->holds_names) + "]" + focus + "\n";
        }
        break;
      case WindowClass::kComboBox:
      case WindowClass::kListBox: {
        const bool combo = c->cls == WindowClass::kComboBox;
        page += "  " + tag +
                (combo ? "[" + Term(c->text, c->holds_names) + "] v" : std::string("list")) +
                focus + "\n";
        for (int r = 0; r < static_cast<int>(c->items.size()); ++r) {
          int indent = 0;
          std::string text = RowText(*c, r, &indent);
          page += std::string(r == c->cur_sel ? "    > " : "      ") + std::to_string(number(c)) +
                  "." + std::to_string(r) + "  " +
                  std::string(static_cast<std::size_t>(indent), ' ') + text + "\n";
        }
        break;
      }
      case WindowClass::kDialog:
        break;
    }
  }
  page += buttons + "\n";
  return page;
}

bool ConsoleBackend::Command(fw::CDialog& dialog, const std::string& raw) {
  const std::string line(base::TrimBlanks(raw));
  WindowState& d = *dialog.state();
  if (line == "?" || line == "help") {
    std::fputs(kHelp, o_.out);
    return true;
  }
  if (line.empty()) {
    fw::UserKey(dialog, VK_RETURN);
    return true;
  }
  if (line == "q" || line == "esc") {
    fw::UserKey(dialog, VK_ESCAPE);
    return true;
  }
  if (line == "tab") {
    fw::UserKey(dialog, VK_TAB);
    return true;
  }
  if (line == "more") {
    for (WindowState* c : d.children) {
      if (c->cls == WindowClass::kEdit && (c->style & fw::kStyleMultiLine)) {
        const std::size_t lines = SplitLines(c->text).size();
        c->sel_start = std::min(lines, c->sel_start + static_cast<std::size_t>(o_.page_lines));
        c->sel_end = c->sel_start;
      }
    }
    return true;
  }
  int n = 0;
  auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), n);
  if (error != std::errc()) return false;
  const std::size_t used = static_cast<std::size_t>(end - line.data());
  const std::vector<WindowState*> act = Actionable(d);
  if (n < 1 || n > static_cast<int>(act.size())) return false;
  WindowState& c = *act[static_cast<std::size_t>(n - 1)];
  std::string rest = line.substr(used);
  if (!rest.empty() && rest[0] == '.') {
    // "N.R" picks row R; "N.R!" opens it, as a double-click does.
    const bool open = rest.back() == '!';
    int row = 0;
    if (std::from_chars(rest.data() + 1, rest.data() + rest.size(), row).ec != std::errc()) {
      return false;
    }
    if (c.cls == WindowClass::kComboBox) return fw::UserPickComboRow(c, row);
    if (c.cls == WindowClass::kListBox) {
      return open ? fw::UserDoubleClickRow(c, row) : fw::UserPickRow(c, row);
    }
    return false;
  }
  // A text longer than the field holds is refused, not cut without a word.
  auto type = [&](const std::string& typed) {
    const std::string text = FromTermFor(c, typed);
    if (c.limit > 0 && text.size() > c.limit) {
      fw::AfxMessageBox(*c.manager, fw::TooLongText(c.limit), MB_ICONEXCLAMATION,
                        resources::IDP_VALIDATION);
      return true;
    }
    return fw::UserType(c, text);
  };
  if (!rest.empty() && (rest[0] == ' ' || rest[0] == '\t'))
    return type(std::string(base::TrimBlanks(rest)));
  if (c.cls == WindowClass::kButton) return fw::UserClick(c);
  if (c.cls == WindowClass::kEdit || c.cls == WindowClass::kComboBox) {
    std::fputs("text: ", o_.out);
    std::string text;
    if (ReadLine(&text) != Input::kLine) return false;
    return type(text);
  }
  if (c.wnd) c.wnd->SetFocus();  // a list: the keys go to it next
  return true;
}

std::string ConsoleBackend::ProgressLine(fw::CDialog& dialog, int columns, int* percent) {
  // The bar gives up width to the texts in a narrow terminal.
  const int bar = columns > 0 ? std::clamp((columns - 1) / 3, 10, 25) : 25;
  std::string line;
  *percent = -1;
  for (WindowState* c : dialog.state()->children) {
    if (c->cls == WindowClass::kProgress) {
      const int span = std::max(1, c->range_hi - c->range_lo);
      const int pct = std::clamp((c->pos - c->range_lo) * 100 / span, 0, 100);
      *percent = pct;
      const int filled = pct * bar / 100;
      line += "[" + std::string(static_cast<std::size_t>(filled), '#') +
              std::string(static_cast<std::size_t>(bar - filled), '.') + "] " +
              std::to_string(pct) + "% ";
    } else if (c->cls == WindowClass::kStatic && !c->text.empty()) {
      line += Term(c->text) + " ";
    }
  }
  // The last column stays free: a line that fills it wraps in some terminals.
  return FitColumns(line, columns > 0 ? static_cast<std::size_t>(columns - 1) : 100);
}

bool ConsoleBackend::AbortAsked(Terminal::KeyMode& keys, std::string* why) {
  if (Interrupts::Raised()) {
    *why = "interrupted";
    return true;
  }
  for (int key = keys.ReadKey(); key >= 0; key = keys.ReadKey()) {
    if (key == 'a' || key == 'A') {
      *why = "abort key pressed";
      return true;
    }
    if (key != 27) continue;
    // Escape alone; an arrow or function key sends Escape and more.
    const int next = keys.ReadKey();
    if (next < 0) {
      *why = "Escape pressed";
      return true;
    }
    if (next == '[' || next == 'O') {
      int k = keys.ReadKey();
      while (k >= 0 && !(k >= 0x40 && k <= 0x7E)) k = keys.ReadKey();
    }
  }
  return false;
}

void ConsoleBackend::RunTimers(fw::CDialog& dialog) {
  fw::WindowManager& wm = *dialog.windows();
  const bool terminal = terminal_.OutputIsTerminal();
  WindowState* abort = FindChild(*dialog.state(), IDCANCEL);
  std::string head = "\n== " + Term(dialog.state()->text) + " ==\n";
  if (abort && abort->visible) {
    head += "  [a] " + Term(abort->text) + " (a or Esc)\n";
  }
  std::fputs(head.c_str(), o_.out);
  std::fflush(o_.out);
  Terminal::KeyMode keys(terminal_);
  bool aborted = false;
  while (dialog.state() && !dialog.state()->end_modal && HasTimers(*dialog.state())) {
    std::string why;
    if (!aborted && AbortAsked(keys, &why)) {
      aborted = true;
      Log(why + ": " + (abort ? "the abort button pressed" : "nothing to press"));
      if (abort && fw::UserClick(*abort)) continue;
    }
    // The page's work sets the pace, not its timer's period; the line is
    // redrawn between its messages.
    wm.PumpOnce(/*timers_due_now=*/true);
    if (!dialog.state()) break;
    int percent = -1;
    // A terminal's width is asked each time: the window may be resized.
    const std::string line = ProgressLine(dialog, terminal ? terminal_.Columns() : 0, &percent);
    if (line == last_progress_) continue;
    if (terminal) {
      // On a terminal one line is rewritten in place.
      std::fprintf(o_.out, "\r%s", line.c_str());
      std::fflush(o_.out);
      last_progress_ = line;
    } else if (percent / 10 != last_percent_ / 10 || last_percent_ < 0) {
      // Into a file or a pipe, a line at every tenth of the way.
      std::string trimmed = line;
      while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
      std::fprintf(o_.out, "%s\n", trimmed.c_str());
      last_percent_ = percent;
    }
  }
  if (!last_progress_.empty()) {
    std::fputs("\n", o_.out);
    last_progress_.clear();
  }
  last_percent_ = -1;
}

void ConsoleBackend::RunInteractive(fw::CDialog& dialog) {
  fw::WindowManager& wm = *dialog.windows();
  bool show = true;
  bool first = true;
  while (dialog.state() && !dialog.state()->end_modal) {
    wm.PumpPending();
    if (!dialog.state() || dialog.state()->end_modal) break;
    if (HasTimers(*dialog.state())) {
      RunTimers(dialog);
      show = true;
      continue;
    }
    if (first) {
      // What was typed before the page was shown answers nothing on it.
      terminal_.DropPendingInput();
      first = false;
    }
    if (show) std::fputs(RenderPage(dialog).c_str(), o_.out);
    std::fputs(kPrompt, o_.out);
    std::string line;
    if (const Input got = ReadLine(&line); got != Input::kLine) {
      // No more input, or Ctrl-C: give up the page, so a piped run never
      // waits forever and an interrupted one ends as a cancel does.
      std::fputs("\n", o_.out);
      Log(got == Input::kInterrupted ? "interrupted: page cancelled"
                                     : "input ended: page cancelled");
      fw::UserClose(dialog);
      continue;
    }
    Log("typed: " + line);
    show = Command(dialog, line);
    if (!show) std::fputs("not understood; try again\n", o_.out);
  }
}

void ConsoleBackend::RunUnattended(fw::CDialog& dialog) {
  fw::WindowManager& wm = *dialog.windows();
  int answers = 0;
  while (dialog.state() && !dialog.state()->end_modal) {
    wm.PumpPending();
    if (!dialog.state() || dialog.state()->end_modal) break;
    if (HasTimers(*dialog.state())) {
      RunTimers(dialog);
      continue;
    }
    const std::string page = "page " + std::to_string(dialog.template_id()) + ": ";
    // A page that stays open after a few answers would not end by more.
    if (answers++ >= 3 ||
        !o_.policy->AnswerDialog(dialog, [&](const std::string& a) { Log(page + a); })) {
      Log(page + "no answer; cancelled");
      if (dialog.state() && !dialog.state()->end_modal) fw::UserClose(dialog);
      continue;
    }
  }
}

void ConsoleBackend::RunModalLoop(fw::CDialog& dialog) {
  Log("page " + std::to_string(dialog.template_id()) + " shown: " + dialog.GetWindowText());
  if (o_.policy) {
    RunUnattended(dialog);
  } else {
    RunInteractive(dialog);
  }
}

int ConsoleBackend::MessageBox(const fw::MessageBoxRequest& request) {
  const char* icon = IconName(request.icon());
  const std::string head = "message " + std::string(resources::MessageName(request.id)) + " (" +
                           std::string(icon ? icon : "plain") + ") " + request.caption + ": " +
                           request.text;
  if (o_.policy) {
    int answer = o_.policy->AnswerMessageBox(request);
    Log(head + " -> " + fw::MessageBoxRequest::AnswerName(answer));
    return answer;
  }
  std::string box = "\n-- " + Term(request.caption) + (icon ? std::string(" [") + icon + "]" : "") +
                    " --\n" + Term(request.text) + "\n";
  const std::vector<Button> buttons = ButtonsOf(request);
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    box += "  [" + std::to_string(i + 1) + "] " + buttons[i].label +
           (buttons[i].answer == request.DefaultAnswer() ? " (Enter)" : "");
  }
  std::fputs((box + "\n").c_str(), o_.out);
  terminal_.DropPendingInput();
  for (;;) {
    std::fputs("answer (number, first letter or Enter): ", o_.out);
    std::string typed;
    if (const Input got = ReadLine(&typed); got != Input::kLine) {
      std::fputs("\n", o_.out);
      Log(head + (got == Input::kInterrupted ? " -> interrupted: " : " -> input ended: ") +
          fw::MessageBoxRequest::AnswerName(request.CancelAnswer()));
      return request.CancelAnswer();
    }
    const std::string line(base::TrimBlanks(typed));
    int answer = 0;
    if (line.empty()) answer = request.DefaultAnswer();
    for (std::size_t i = 0; i < buttons.size() && !answer; ++i) {
      const std::string label = buttons[i].label;
      if (line == std::to_string(i + 1) || std::tolower(static_cast<unsigned char>(line[0])) ==
                                               std::tolower(static_cast<unsigned char>(label[0]))) {
        answer = buttons[i].answer;
      }
    }
    if (answer) {
      Log(head + " -> " + fw::MessageBoxRequest::AnswerName(answer));
      return answer;
    }
    std::fputs("not one of the buttons\n", o_.out);
  }
}

}  // namespace cdsetup::ui::console
