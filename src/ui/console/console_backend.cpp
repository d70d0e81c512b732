#include "ui/console/console_backend.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>
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
  resources::OwnText word;
  char english_key;  // still understood where the words are another language's
};

std::vector<Button> ButtonsOf(const fw::MessageBoxRequest& r) {
  using resources::OwnText;
  constexpr Button kOk{IDOK, OwnText::kOk, 'o'};
  constexpr Button kCancel{IDCANCEL, OwnText::kCancel, 'c'};
  switch (r.buttons()) {
    case MB_OKCANCEL:
      return {kOk, kCancel};
    case MB_YESNO:
      return {{IDYES, OwnText::kYes, 'y'}, {IDNO, OwnText::kNo, 'n'}};
    case MB_RETRYCANCEL:
      return {{IDRETRY, OwnText::kRetry, 'r'}, kCancel};
    default:
      return {kOk};
  }
}

// A box's icon: its name in the log, and its word on the terminal.
struct Icon {
  const char* name;
  resources::OwnText word;
};

std::optional<Icon> IconOf(fw::UINT icon) {
  using resources::OwnText;
  switch (icon) {
    case MB_ICONSTOP:
      return Icon{"error", OwnText::kIconError};
    case MB_ICONQUESTION:
      return Icon{"question", OwnText::kIconQuestion};
    case MB_ICONEXCLAMATION:
      return Icon{"warning", OwnText::kIconWarning};
    case MB_ICONINFORMATION:
      return Icon{"information", OwnText::kIconInformation};
    default:
      return std::nullopt;
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

bool StartsCharacter(char byte, bool utf8) {
  return !utf8 || (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

// The byte offset after the first `columns` characters of `text`.
std::size_t CutAt(std::string_view text, std::size_t columns, bool utf8) {
  std::size_t used = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!StartsCharacter(text[i], utf8)) continue;
    if (used == columns) return i;
    ++used;
  }
  return text.size();
}

std::size_t CountColumns(std::string_view text, bool utf8) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [utf8](char c) { return StartsCharacter(c, utf8); }));
}

// Text cut to `columns` characters (one column each: the code pages' letters
// are all narrow) and padded with blanks to exactly that many, so a shorter
// line overwrites a longer one.
std::string FitColumns(const std::string& text, std::size_t columns, bool utf8) {
  std::string out = text.substr(0, CutAt(text, columns, utf8));
  out.append(columns - std::min(columns, CountColumns(out, utf8)), ' ');
  return out;
}

// `text` in lines of at most `columns` characters, broken after a blank
// where one is, else inside the word.
std::vector<std::string> Wrap(std::string_view text, std::size_t columns, bool utf8) {
  std::vector<std::string> rows;
  columns = std::max<std::size_t>(columns, 1);
  while (CountColumns(text, utf8) > columns) {
    std::size_t cut = CutAt(text, columns, utf8);
    const std::size_t blank = text.rfind(' ', cut);
    const bool at_blank = blank != std::string_view::npos && blank > 0;
    if (at_blank) cut = blank;
    rows.emplace_back(text.substr(0, cut));
    text.remove_prefix(at_blank ? cut + 1 : cut);
  }
  rows.emplace_back(text);
  return rows;
}

// `text` shortened to `columns` characters by leaving out a middle part,
// so that both the start (what is done) and the end (a file's name) show.
std::string ElideMiddle(const std::string& text, std::size_t columns, bool utf8) {
  const std::size_t length = CountColumns(text, utf8);
  if (length <= columns) return text;
  if (columns < 8) return text.substr(0, CutAt(text, columns, utf8));
  const std::size_t head = std::min<std::size_t>((columns - 3) / 3, 13);
  const std::size_t tail = columns - 3 - head;
  return text.substr(0, CutAt(text, head, utf8)) + "..." +
         text.substr(CutAt(text, length - tail, utf8));
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

bool IsScrolled(const WindowState& c) {
  return c.cls == WindowClass::kListBox ||
         (c.cls == WindowClass::kEdit && (c.style & fw::kStyleMultiLine));
}

// The static text that names `control` on the page: the one just left of it
// on its row, or just above it where their columns overlap.
const WindowState* LabelOf(const WindowState& dialog, const WindowState& control) {
  if (control.cls != WindowClass::kEdit && control.cls != WindowClass::kComboBox &&
      control.cls != WindowClass::kListBox) {
    return nullptr;
  }
  const fw::CRect& r = control.rect;
  const int gap = std::max(4, r.Height() / 2);
  for (const WindowState* s : dialog.children) {
    if (s->cls != WindowClass::kStatic || !s->visible || s->text.empty()) continue;
    const fw::CRect& l = s->rect;
    const bool left = l.right <= r.left + 2 && r.left - l.right <= 8 * gap && l.top < r.bottom &&
                      l.bottom > r.top;
    const bool above =
        l.bottom <= r.top + 2 && r.top - l.bottom <= gap && l.left < r.right && l.right > r.left;
    if (left || above) return s;
  }
  return nullptr;
}

// The page's text boxes and lists share the rows a terminal has left.
struct Block {
  std::vector<std::string> head;  // always shown
  std::vector<std::string> rows;  // shown a window at a time when scrolled
  WindowState* scrolled = nullptr;
  std::string frame;  // a text box's: closes it, and names the rows below
  int selected = -1;  // a list's selected row, kept in view
};

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
  // A Ctrl-C that came while nothing was asked answers this question.
  if (Interrupts::Take()) return Input::kInterrupted;
  int c;
  bool any = false;
  while ((c = std::fgetc(o_.in)) != EOF) {
    any = true;
    if (c == '\n') break;
    line->push_back(static_cast<char>(c));
  }
  if (c == EOF && Interrupts::Take()) {
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

std::string ConsoleBackend::Own(resources::OwnText text) const {
  const std::string_view utf8 = resources::OwnTextOf(text, language_);
  return Term(o_.from_utf8 ? o_.from_utf8(utf8) : std::string(utf8));
}

std::size_t ConsoleBackend::Width(std::string_view text) const {
  return CountColumns(text, o_.terminal_utf8);
}

int ConsoleBackend::Columns() const {
  return terminal_.OutputIsTerminal() ? terminal_.Columns() : 80;
}

std::string ConsoleBackend::RenderPage(fw::CDialog& dialog) {
  WindowState& d = *dialog.state();
  const std::vector<WindowState*> act = Actionable(d);
  auto number = [&](const WindowState* w) {
    auto it = std::find(act.begin(), act.end(), w);
    return it == act.end() ? 0 : static_cast<int>(it - act.begin()) + 1;
  };
  // Enter goes to a focused list that takes every key (it opens the row).
  WindowState* focus = d.focus;
  const bool enter_to_list = focus && focus->cls == WindowClass::kListBox && focus->wnd &&
                             (focus->wnd->OnGetDlgCode() & DLGC_WANTALLKEYS);
  const int def = enter_to_list ? 0 : dialog.GetDefID();
  const std::size_t columns = static_cast<std::size_t>(std::max(20, Columns()));

  std::vector<const WindowState*> labels;
  for (WindowState* c : d.children) {
    if (!c->visible) continue;
    if (const WindowState* label = LabelOf(d, *c)) labels.push_back(label);
  }
  std::vector<Block> blocks(1);
  blocks[0].head = {"", "== " + Term(d.text) + " =="};
  std::string buttons;
  for (WindowState* c : d.children) {
    if (!c->visible) continue;
    if (std::find(labels.begin(), labels.end(), c) != labels.end()) continue;
    std::vector<std::string>& head = blocks.back().head;
    const WindowState* label = LabelOf(d, *c);
    const std::string tag = "[" + std::to_string(number(c)) + "] " +
                            (label ? Term(label->text) + (IsScrolled(*c) ? "" : " ") : "");
    const std::string focus_mark = d.focus == c ? " <" : "";
    switch (c->cls) {
      case WindowClass::kStatic:
        if (!c->text.empty()) head.push_back("  " + Term(c->text));
        break;
      case WindowClass::kProgress: {
        const int span = std::max(1, c->range_hi - c->range_lo);
        const int filled = std::clamp((c->pos - c->range_lo) * 30 / span, 0, 30);
        head.push_back("  [" + std::string(static_cast<std::size_t>(filled), '#') +
                       std::string(static_cast<std::size_t>(30 - filled), '.') + "]");
        break;
      }
      case WindowClass::kButton:
        if (c->style & fw::kStyleGroupBox) {
          head.push_back("  -- " + Term(c->text) + " --");
        } else if (c->style & fw::kStyleAutoRadioButton) {
          head.push_back("  " + tag + (c->check ? "(*) " : "( ) ") + Term(c->text) + focus_mark);
        } else {
          buttons += "  " + tag + Term(c->text) + (c->id == def ? " (Enter)" : "") + focus_mark;
        }
        break;
      case WindowClass::kEdit:
        if (c->style & fw::kStyleMultiLine) {
          // Wrapped inside its frame at the terminal's width.
          Block box;
          box.head = {"  +----"};
          box.scrolled = c;
          box.frame = "  +----";
          for (const std::string& line : SplitLines(c->text)) {
            for (std::string& row : Wrap(Term(line), columns - 5, o_.terminal_utf8)) {
              box.rows.push_back("  | " + row);
            }
          }
          blocks.push_back(std::move(box));
          blocks.emplace_back();
        } else {
          head.push_back("  " + tag + "[" + Term(c->text, c->holds_names) + "]" + focus_mark);
        }
        break;
      case WindowClass::kComboBox:
      case WindowClass::kListBox: {
        const bool combo = c->cls == WindowClass::kComboBox;
        Block list;
        list.head = {"  " + tag + (combo ? "[" + Term(c->text, c->holds_names) + "] v" : "") +
                     focus_mark};
        // Row numbers padded to the widest, so the texts line up.
        const std::size_t count = c->items.size();
        const std::size_t width =
            (std::to_string(number(c)) + "." + std::to_string(count ? count - 1 : 0)).size();
        for (int r = 0; r < static_cast<int>(count); ++r) {
          int indent = 0;
          std::string text = RowText(*c, r, &indent);
          std::string at = std::to_string(number(c)) + "." + std::to_string(r);
          at.append(width - at.size(), ' ');
          const bool picked = r == c->cur_sel;
          list.rows.push_back(std::string(picked ? "    > " : "      ") + at + "  " +
                              std::string(static_cast<std::size_t>(indent), ' ') + text +
                              (picked && enter_to_list && c == focus ? " (Enter)" : ""));
        }
        if (combo) {
          head.insert(head.end(), list.head.begin(), list.head.end());
          head.insert(head.end(), list.rows.begin(), list.rows.end());
          break;
        }
        list.scrolled = c;
        list.selected = c->cur_sel;
        blocks.push_back(std::move(list));
        blocks.emplace_back();
        break;
      }
      case WindowClass::kDialog:
        break;
    }
  }
  blocks.back().head.push_back(buttons);

  // A terminal's rows go to the scrolled blocks, after the lines every block
  // keeps, a footer each and the prompt; elsewhere a fixed number each.
  std::size_t fixed = 1;  // the prompt
  std::size_t scrolled = 0;
  for (const Block& b : blocks) {
    fixed += b.head.size();
    if (b.scrolled) {
      ++fixed;
      ++scrolled;
    }
  }
  std::size_t share = static_cast<std::size_t>(o_.page_lines);
  if (scrolled > 0 && terminal_.OutputIsTerminal()) {
    const auto rows = static_cast<std::size_t>(terminal_.Rows(24));
    share = std::max<std::size_t>(3, (rows > fixed ? rows - fixed : 0) / scrolled);
  }
  std::string page;
  for (const Block& b : blocks) {
    for (const std::string& line : b.head) page += line + "\n";
    if (!b.scrolled) continue;
    Scroll& at = scroll_[b.scrolled];
    const std::size_t size = b.rows.size();
    if (b.selected != at.selection && b.selected >= 0) {
      // A row just picked is brought into view.
      const auto selected = static_cast<std::size_t>(b.selected);
      if (selected < at.top || selected >= at.top + share) at.top = selected - selected % share;
    }
    at.selection = b.selected;
    at.top = std::min(at.top, size > share ? size - share : 0);
    at.rows = share;
    at.size = size;
    for (std::size_t i = at.top; i < std::min(size, at.top + share); ++i) page += b.rows[i] + "\n";
    const std::size_t below = size - std::min(size, at.top + share);
    const std::string more =
        below > 0
            ? resources::WithArguments(Own(resources::OwnText::kMoreLines), {std::to_string(below)})
            : std::string();
    if (!b.frame.empty()) {
      page += b.frame + (more.empty() ? "" : " " + more) + "\n";
    } else if (!more.empty()) {
      page += "      ... " + more + "\n";
    }
  }
  return page;
}

void ConsoleBackend::ShowMore(WindowState& dialog) {
  for (WindowState* c : dialog.children) {
    auto it = scroll_.find(c);
    if (it == scroll_.end()) continue;
    Scroll& at = it->second;
    at.top = at.top + at.rows < at.size ? at.top + at.rows : 0;
  }
}

bool ConsoleBackend::Command(fw::CDialog& dialog, const std::string& raw) {
  // The Tab and Escape keys arrive as themselves in the line, before blanks
  // are trimmed from it.
  const bool tab_key = !raw.empty() && raw.find_first_not_of(" \t") == std::string::npos &&
                       raw.find('\t') != std::string::npos;
  const bool escape_key =
      raw.find_first_not_of(" \x1b") == std::string::npos && raw.find('\x1b') != std::string::npos;
  const std::string line(base::TrimBlanks(raw));
  WindowState& d = *dialog.state();
  if (line == "?" || line == "help") {
    std::fputs(Own(resources::OwnText::kPageHelp).c_str(), o_.out);
    return true;
  }
  if (tab_key || line == "tab") {
    fw::UserKey(dialog, VK_TAB);
    return true;
  }
  if (escape_key || line == "q" || line == "esc") {
    fw::UserKey(dialog, VK_ESCAPE);
    return true;
  }
  if (line.empty()) {
    fw::UserKey(dialog, VK_RETURN);
    return true;
  }
  if (line == "more") {
    ShowMore(d);
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
  // A text longer than the field holds is refused, not cut without a word,
  // and given back to be shortened at a terminal.
  auto type = [&](std::string typed) {
    for (;;) {
      const std::string text = FromTermFor(c, typed);
      if (c.limit == 0 || text.size() <= c.limit) return fw::UserType(c, text);
      fw::AfxMessageBox(*c.manager, fw::TooLongText(*c.manager, c.limit), MB_ICONEXCLAMATION,
                        resources::IDP_VALIDATION);
      const Terminal::Edited edited =
          terminal_.EditLine(Own(resources::OwnText::kTextPrompt), &typed, o_.terminal_utf8);
      if (edited != Terminal::Edited::kDone) return true;
      Log("typed: " + typed);
    }
  };
  if (!rest.empty() && (rest[0] == ' ' || rest[0] == '\t'))
    return type(std::string(base::TrimBlanks(rest)));
  if (c.cls == WindowClass::kButton) return fw::UserClick(c);
  if (c.cls == WindowClass::kEdit || c.cls == WindowClass::kComboBox) {
    std::fputs(Own(resources::OwnText::kTextPrompt).c_str(), o_.out);
    std::string text;
    // Ctrl-C or the end of input types nothing: the page is shown again.
    if (ReadLine(&text) != Input::kLine) return true;
    return type(text);
  }
  if (c.wnd) c.wnd->SetFocus();  // a list: the keys go to it next
  return true;
}

std::string ConsoleBackend::ProgressLine(fw::CDialog& dialog, int columns, int* percent) {
  // The bar gives up width to the texts in a narrow terminal.
  const int bar = columns > 0 ? std::clamp((columns - 1) / 3, 10, 25) : 25;
  std::string gauge;
  std::string texts;
  *percent = -1;
  for (WindowState* c : dialog.state()->children) {
    if (c->cls == WindowClass::kProgress) {
      const int span = std::max(1, c->range_hi - c->range_lo);
      const int pct = std::clamp((c->pos - c->range_lo) * 100 / span, 0, 100);
      *percent = pct;
      const int filled = pct * bar / 100;
      gauge += "[" + std::string(static_cast<std::size_t>(filled), '#') +
               std::string(static_cast<std::size_t>(bar - filled), '.') + "] " +
               std::to_string(pct) + "% ";
    } else if (c->cls == WindowClass::kStatic && !c->text.empty()) {
      texts += (texts.empty() ? "" : " ") + Term(c->text);
    }
  }
  // The last column stays free: a line that fills it wraps in some terminals.
  // What does not fit leaves out the middle of the texts, so the end of a
  // file's name shows.
  const std::size_t width = columns > 0 ? static_cast<std::size_t>(columns - 1) : 100;
  const std::size_t room = width - std::min(width, Width(gauge));
  return FitColumns(gauge + ElideMiddle(texts, room, o_.terminal_utf8), width, o_.terminal_utf8);
}

bool ConsoleBackend::AbortAsked(Terminal::KeyMode& keys, std::string* why) {
  if (Interrupts::Take()) {
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
    head += "  [a] " + Term(abort->text) + " " + Own(resources::OwnText::kAbortKeys) + "\n";
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
    // The prompt fits a narrow terminal on its line.
    std::fputs(
        Own(Columns() < 50 ? resources::OwnText::kPagePromptShort : resources::OwnText::kPagePrompt)
            .c_str(),
        o_.out);
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
    if (!show) std::fputs((Own(resources::OwnText::kNotUnderstood) + "\n").c_str(), o_.out);
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
  const std::optional<Icon> icon = IconOf(request.icon());
  const std::string head = "message " + std::string(resources::MessageName(request.id)) + " (" +
                           std::string(icon ? icon->name : "plain") + ") " + request.caption +
                           ": " + request.text;
  if (o_.policy) {
    int answer = o_.policy->AnswerMessageBox(request);
    Log(head + " -> " + fw::MessageBoxRequest::AnswerName(answer));
    return answer;
  }
  // On a terminal, long captions and texts break between words, not
  // wherever the terminal's edge falls.
  auto lines = [&](const std::string& text) {
    if (!terminal_.OutputIsTerminal()) return text + "\n";
    std::string out;
    for (const std::string& line : SplitLines(text)) {
      for (const std::string& row :
           Wrap(line, static_cast<std::size_t>(Columns()), o_.terminal_utf8)) {
        out += row + "\n";
      }
    }
    return out;
  };
  std::string box = "\n" +
                    lines("-- " + Term(request.caption) +
                          (icon ? " [" + Own(icon->word) + "]" : std::string()) + " --") +
                    lines(Term(request.text));
  const std::vector<Button> buttons = ButtonsOf(request);
  std::vector<std::string> words;
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    words.push_back(Own(buttons[i].word));
    box += "  [" + std::to_string(i + 1) + "] " + words.back() +
           (buttons[i].answer == request.DefaultAnswer() ? " (Enter)" : "");
  }
  std::fputs((box + "\n").c_str(), o_.out);
  terminal_.DropPendingInput();
  for (;;) {
    std::fputs(Own(resources::OwnText::kBoxPrompt).c_str(), o_.out);
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
    // A button's number, or the first letter of its word (or of its English
    // word, which scripts typed for any language may use).
    const auto key = [](std::string_view word) {
      return word.empty() ? 0 : std::tolower(static_cast<unsigned char>(word[0]));
    };
    for (std::size_t i = 0; i < buttons.size() && !answer; ++i) {
      if (line == std::to_string(i + 1) ||
          (!line.empty() && (key(line) == key(words[i]) || key(line) == buttons[i].english_key))) {
        answer = buttons[i].answer;
      }
    }
    if (answer) {
      Log(head + " -> " + fw::MessageBoxRequest::AnswerName(answer));
      return answer;
    }
    std::fputs((Own(resources::OwnText::kNotAButton) + "\n").c_str(), o_.out);
  }
}

}  // namespace cdsetup::ui::console
