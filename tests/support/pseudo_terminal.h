// A pseudo-terminal for the tests of what a person at a terminal sees and
// types: the program side is a real terminal (isatty, its width, line
// editing, Ctrl-C), the test side reads everything printed and types keys,
// possibly in answer to a text as soon as it appears.
#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace cdsetup::testing {

/// The width in characters (UTF-8 decoded) of each line `output` rewrites in
/// place: every run after a carriage return, up to the next one or a line end.
std::vector<std::size_t> RewrittenLineWidths(std::string_view output);

class PseudoTerminal {
 public:
  explicit PseudoTerminal(int columns, int rows = 24);
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  bool ok() const { return master_ >= 0; }
  /// The program's side as streams, for a program run in this process.
  std::FILE* in() const { return in_; }
  std::FILE* out() const { return out_; }

  /// Types `keys` now.
  void Type(std::string_view keys);
  /// Types `keys` as soon as `text` is printed after what earlier answers
  /// waited for; answers are given in the order they are added.
  void Answer(std::string text, std::string keys);
  /// Waits until `text` has been printed (anywhere); false after `timeout_ms`.
  bool WaitFor(std::string_view text, int timeout_ms = 20000);
  /// Everything printed so far.
  std::string Output();
  void Resize(int columns, int rows = 24);

  /// Starts `command` through the shell with this as its controlling
  /// terminal, in `dir`; its exit status from Wait (-1 when it did not exit
  /// within `timeout_ms`, 128 + the signal when one ended it).
  void Spawn(const std::string& command, const std::string& dir);
  int Wait(int timeout_ms = 60000);
  void Signal(int signal) const;

 private:
  struct Response {
    std::string text, keys;
  };
  void Read();

  int master_ = -1;
  int slave_ = -1;
  std::FILE* in_ = nullptr;
  std::FILE* out_ = nullptr;
  pid_t child_ = -1;
  std::mutex mutex_;
  std::condition_variable printed_;
  std::string output_;
  std::size_t answered_up_to_ = 0;
  std::vector<Response> responses_;
  bool stop_ = false;
  std::thread reader_;
};

}  // namespace cdsetup::testing
