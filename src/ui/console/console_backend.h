// The terminal presentation of the core's dialogs. Interactive: each dialog
// is printed as a page (caption, texts, fields, rows, buttons, each control
// with a number) and a line of input picks what to do. Unattended: a policy
// answers every page and message box. Every page and answer goes to the log.
#pragma once

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/action_log.h"
#include "framework/dialog.h"
#include "framework/ui_backend.h"
#include "framework/unattended_policy.h"
#include "resources/own_texts.h"
#include "ui/console/terminal.h"

namespace cdsetup::ui::console {

namespace fw = framework;

struct ConsoleOptions {
  std::FILE* in = stdin;
  std::FILE* out = stdout;
  /// One line per page shown and answer given; null for none.
  base::ActionLog* log = nullptr;
  /// ANSI text to the terminal's encoding, and typed text back.
  std::function<std::string(std::string_view)> to_terminal;
  std::function<std::string(std::string_view)> from_terminal;
  /// The same for names of the system (paths, folders), in its own code page.
  std::function<std::string(std::string_view)> name_to_terminal;
  std::function<std::string(std::string_view)> name_from_terminal;
  /// The program's own texts (UTF-8) to the texts' code page; null: as
  /// they are.
  std::function<std::string(std::string_view)> from_utf8;
  /// The terminal shows UTF-8, where a character may take several bytes;
  /// false: a single-byte code page.
  bool terminal_utf8 = true;
  fw::UnattendedPolicy* policy = nullptr;  // null: ask the person
  /// Rows of a long text or list shown at once before "more", when the
  /// output is no terminal whose height we can ask.
  int page_lines = 20;
};

class ConsoleBackend : public fw::UiBackend {
 public:
  explicit ConsoleBackend(ConsoleOptions options)
      : o_(std::move(options)), terminal_(o_.in, o_.out) {}

  void RunModalLoop(fw::CDialog& dialog) override;
  int MessageBox(const fw::MessageBoxRequest& request) override;
  void SetLanguage(unsigned language_id) override { language_ = language_id; }
  void WindowDestroyed(fw::WindowState& window) override { scroll_.erase(&window); }

  /// The page as printed: exposed for the tests and for the log.
  std::string RenderPage(fw::CDialog& dialog);

 private:
  void RunInteractive(fw::CDialog& dialog);
  void RunUnattended(fw::CDialog& dialog);
  /// Runs the timers of a page that works by itself (the copy), showing its
  /// progress bar on one line, until it ends or needs nothing more. Its
  /// cancel button is pressed by `a`, Escape or an interrupt.
  void RunTimers(fw::CDialog& dialog);
  /// The progress line of a working page, fitted to `columns` (0: no limit).
  std::string ProgressLine(fw::CDialog& dialog, int columns, int* percent);
  /// True when a key or an interrupt asks to abort the working page.
  bool AbortAsked(Terminal::KeyMode& keys, std::string* why);
  /// Carries out one line of input; false when it was not understood.
  bool Command(fw::CDialog& dialog, const std::string& line);
  void Log(const std::string& line) const;
  /// `text` on the terminal: a text of the pages, or a name of the system.
  std::string Term(std::string_view text, bool name = false) const;
  /// What `control` takes of `typed`: names or texts, as it holds.
  std::string FromTermFor(const fw::WindowState& control, std::string_view typed) const;
  /// A list's row as the terminal shows it.
  std::string RowText(fw::WindowState& list, int row, int* indent);
  /// One of our own texts in the pages' language, as the terminal shows it.
  std::string Own(resources::OwnText text) const;
  /// Characters `text` (as the terminal shows it) takes on the terminal.
  std::size_t Width(std::string_view text) const;
  /// Columns the output has; 80 when it is no terminal.
  int Columns() const;
  /// Shows the next rows of each long text and list of the page, or their
  /// first ones again once the last are shown.
  void ShowMore(fw::WindowState& dialog);
  enum class Input { kLine, kEnded, kInterrupted };
  Input ReadLine(std::string* line);

  /// Where a long text or list of the page is scrolled to.
  struct Scroll {
    std::size_t top = 0;   // the first row shown
    std::size_t rows = 0;  // how many were shown at the last printing
    std::size_t size = 0;  // of how many
    int selection = -2;    // a list's selected row when printed last
  };

  ConsoleOptions o_;
  Terminal terminal_;
  unsigned language_ = 0;
  std::map<const fw::WindowState*, Scroll> scroll_;
  std::string last_progress_;
  int last_percent_ = -1;
};

}  // namespace cdsetup::ui::console
