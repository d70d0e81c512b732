// What the console interface needs of the terminal it runs in: whether a
// stream is one, its width, dropping keys typed ahead, reading single keys
// while a page works by itself, and the interrupt keys (Ctrl-C, a kill).
// Streams that are not terminals (a pipe, a file, a test's buffer) get the
// plain behaviour: nothing is dropped, nothing is read key by key.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace cdsetup::ui::console {

class Terminal {
 public:
  Terminal(std::FILE* in, std::FILE* out) : in_(in), out_(out) {}

  bool InputIsTerminal() const;
  bool OutputIsTerminal() const;
  /// Columns of the output terminal, asked each time so that a resized
  /// window is followed; `fallback` when it cannot tell.
  int Columns(int fallback = 80) const;
  /// Rows of the output terminal, asked each time; `fallback` when it
  /// cannot tell (a pipe, a file).
  int Rows(int fallback) const;
  /// Discards what was typed but not yet read: a key pressed before a
  /// question is shown is no answer to it.
  void DropPendingInput() const;

  /// While alive, a terminal input gives its keys one by one, unechoed and
  /// without waiting; the terminal's settings come back at the end.
  class KeyMode {
   public:
    explicit KeyMode(const Terminal& terminal);
    ~KeyMode();
    KeyMode(const KeyMode&) = delete;
    KeyMode& operator=(const KeyMode&) = delete;
    /// The next key typed, or -1 when none is waiting.
    int ReadKey();
    /// The next key typed within `timeout_ms` (forever when negative), or
    /// -1 when none came or an interrupt did.
    int WaitKey(int timeout_ms);
    /// False where the keys cannot be read one by one.
    bool active() const { return saved_ != nullptr; }

   private:
    struct Saved;  // the terminal's settings before
    const Terminal& terminal_;
    std::unique_ptr<Saved> saved_;
  };

  enum class Edited { kDone, kInterrupted, kNoTerminal };
  /// Lets the person edit `text` (in the terminal's encoding, UTF-8 when
  /// `utf8`) on a line after `prompt`, with the arrows, Home, End,
  /// Backspace and Delete, until Enter. kNoTerminal where input is no
  /// terminal whose keys can be read one by one.
  Edited EditLine(std::string_view prompt, std::string* text, bool utf8);

  std::FILE* in() const { return in_; }
  std::FILE* out() const { return out_; }

 private:
  std::FILE* in_;
  std::FILE* out_;
};

/// Ctrl-C and termination requests, turned into flags the interface reads
/// between steps instead of ending the process where it stands. A blocked
/// read of a line returns when one comes.
class Interrupts {
 public:
  /// Installs the handlers (once; later calls do nothing).
  static void Catch();
  /// True when Ctrl-C came since the last call, which it answers: one
  /// Ctrl-C closes one question. After a request to end the program, true
  /// at every call, so no question waits for an answer any more.
  static bool Take();
  /// True while an interrupt waits to be taken; it stays.
  static bool Waiting();
  /// Forgets both (for tests that raise one after another).
  static void Reset();
};

}  // namespace cdsetup::ui::console
