#include "ui/console/console_backend.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <vector>

#include "framework/controls.h"
#include "framework/input.h"
#include "framework/window_manager.h"
#include "resources/resource_ids.h"

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
    case fw::MB_OKCANCEL:
      return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case fw::MB_YESNO:
      return {{IDYES, "Yes"}, {IDNO, "No"}};
    case fw::MB_RETRYCANCEL:
      return {{IDRETRY, "Retry"}, {IDCANCEL, "Cancel"}};
    default:
      return {{IDOK, "OK"}};
  }
}

const char* IconName(fw::UINT icon) {
  switch (icon) {
    case fw::MB_ICONSTOP:
      return "error";
    case fw::MB_ICONQUESTION:
      return "question";
    case fw::MB_ICONEXCLAMATION:
      return "warning";
    case fw::MB_ICONINFORMATION:
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

std::string ConsoleBackend::Term(std::string_view ansi) const {
  return o_.to_terminal ? o_.to_terminal(ansi) : std::string(ansi);
}

bool ConsoleBackend::ReadLine(std::string* line) {
  std::fflush(o_.out);
  line->clear();
  int c;
  bool any = false;
  while ((c = std::fgetc(o_.in)) != EOF) {
    any = true;
    if (c == '\n') break;
    line->push_back(static_cast<char>(c));
  }
  if (!line->empty() && line->back() == '\r') line->pop_back();
  if (o_.from_terminal) *line = o_.from_terminal(*line);
  return any;
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
      text += op.text;
    }
    return text;
  }
  return list.items[static_cast<std::size_t>(row)].text;
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
          page += "  " + tag + "[" + Term(c->text) + "]" + focus + "\n";
        }
        break;
      case WindowClass::kComboBox:
      case WindowClass::kListBox: {
        const bool combo = c->cls == WindowClass::kComboBox;
        page +=
            "  " + tag + (combo ? "[" + Term(c->text) + "] v" : std::string("list")) + focus + "\n";
        for (int r = 0; r < static_cast<int>(c->items.size()); ++r) {
          int indent = 0;
          std::string text = RowText(*c, r, &indent);
          page += std::string(r == c->cur_sel ? "    > " : "      ") + std::to_string(number(c)) +
                  "." + std::to_string(r) + "  " +
                  std::string(static_cast<std::size_t>(indent), ' ') + Term(text) + "\n";
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
  std::string line = raw;
  while (!line.empty() && line.back() == ' ') line.pop_back();
  WindowState& d = *dialog.state();
  if (line.empty()) {
    fw::UserKey(dialog, fw::VK_RETURN);
    return true;
  }
  if (line == "q" || line == "esc") {
    fw::UserKey(dialog, fw::VK_ESCAPE);
    return true;
  }
  if (line == "tab") {
    fw::UserKey(dialog, fw::VK_TAB);
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
  if (!rest.empty() && rest[0] == ' ') {
    return fw::UserType(c, rest.substr(1));
  }
  if (c.cls == WindowClass::kButton) return fw::UserClick(c);
  if (c.cls == WindowClass::kEdit || c.cls == WindowClass::kComboBox) {
    std::fputs("text: ", o_.out);
    std::string text;
    if (!ReadLine(&text)) return false;
    return fw::UserType(c, text);
  }
  if (c.wnd) c.wnd->SetFocus();  // a list: the keys go to it next
  return true;
}

void ConsoleBackend::RunTimers(fw::CDialog& dialog) {
  fw::WindowManager& wm = fw::WindowManager::Get();
  while (dialog.state() && !dialog.state()->end_modal && HasTimers(*dialog.state())) {
    // The page's work sets the pace, not its timer's period; the line is
    // redrawn between its messages.
    wm.PumpOnce(/*timers_due_now=*/true);
    if (!dialog.state()) break;
    // One line, rewritten in place: the bar and the page's texts.
    std::string line;
    int percent = -1;
    for (WindowState* c : dialog.state()->children) {
      if (c->cls == WindowClass::kProgress) {
        const int span = std::max(1, c->range_hi - c->range_lo);
        const int pct = std::clamp((c->pos - c->range_lo) * 100 / span, 0, 100);
        percent = pct;
        line += "[" + std::string(static_cast<std::size_t>(pct / 4), '#') +
                std::string(static_cast<std::size_t>(25 - pct / 4), '.') + "] " +
                std::to_string(pct) + "% ";
      } else if (c->cls == WindowClass::kStatic && !c->text.empty()) {
        line += Term(c->text) + " ";
      }
    }
    if (line.size() > 100) line.resize(100);
    if (line == last_progress_) continue;
    if (::isatty(::fileno(o_.out))) {
      // On a terminal one line is rewritten in place.
      std::fprintf(o_.out, "\r%-100s", line.c_str());
      std::fflush(o_.out);
      last_progress_ = line;
    } else if (percent / 10 != last_percent_ / 10 || last_percent_ < 0) {
      // Into a file or a pipe, a line at every tenth of the way.
      std::fprintf(o_.out, "%s\n", line.c_str());
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
  fw::WindowManager& wm = fw::WindowManager::Get();
  bool show = true;
  while (dialog.state() && !dialog.state()->end_modal) {
    wm.PumpPending();
    if (!dialog.state() || dialog.state()->end_modal) break;
    if (HasTimers(*dialog.state())) {
      RunTimers(dialog);
      show = true;
      continue;
    }
    if (show) std::fputs(RenderPage(dialog).c_str(), o_.out);
    std::fputs("number to choose, N text to type, N.R for a row (N.R! opens it), Enter, q: ",
               o_.out);
    std::string line;
    if (!ReadLine(&line)) {
      // No more input: give up the page, so a piped run never waits forever.
      std::fputs("\n", o_.out);
      Log("input ended: page cancelled");
      fw::UserClose(dialog);
      continue;
    }
    Log("typed: " + line);
    show = Command(dialog, line);
    if (!show) std::fputs("not understood; try again\n", o_.out);
  }
}

void ConsoleBackend::RunUnattended(fw::CDialog& dialog) {
  fw::WindowManager& wm = fw::WindowManager::Get();
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
  for (;;) {
    std::fputs("answer: ", o_.out);
    std::string line;
    if (!ReadLine(&line)) {
      std::fputs("\n", o_.out);
      Log(head + " -> input ended: " + fw::MessageBoxRequest::AnswerName(request.CancelAnswer()));
      return request.CancelAnswer();
    }
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
