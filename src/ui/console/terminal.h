// What the console interface needs of the terminal it runs in: whether a
// stream is one, its width, dropping keys typed ahead, reading single keys
// while a page works by itself, and the interrupt keys (Ctrl-C, a kill).
// Streams that are not terminals (a pipe, a file, a test's buffer) get the
// plain behaviour: nothing is dropped, nothing is read key by key.
#pragma once

#include <cstdio>
#include <memory>

namespace cdsetup::ui::console {

class Terminal {
 public:
  Terminal(std::FILE* in, std::FILE* out) : in_(in), out_(out) {}

  bool InputIsTerminal() const;
  bool OutputIsTerminal() const;
  /// Columns of the output terminal, asked each time so that a resized
  /// window is followed; `fallback` when it cannot tell.
  int Columns(int fallback = 80) const;
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

   private:
    struct Saved;  // the terminal's settings before
    const Terminal& terminal_;
    std::unique_ptr<Saved> saved_;
  };

  std::FILE* in() const { return in_; }
  std::FILE* out() const { return out_; }

 private:
  std::FILE* in_;
  std::FILE* out_;
};

/// Ctrl-C and termination requests, turned into a flag the interface reads
/// between steps instead of ending the process where it stands. A blocked
/// read of a line returns when the interrupt comes.
class Interrupts {
 public:
  /// Installs the handlers (once; later calls do nothing).
  static void Catch();
  /// True once an interrupt came; it stays true.
  static bool Raised();
  /// Forgets an interrupt (for tests that raise one after another).
  static void Reset();
};

}  // namespace cdsetup::ui::console
