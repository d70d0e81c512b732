// Starting host programs with an argument vector, never through a shell.
// Abstract so that tests can observe what would be started without running it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace cdsetup::platform {

/// Where a started program's output goes: where ours goes, or aside (a
/// helper whose chatter would garble the person's terminal): into the
/// runner's aside file, the log, or nowhere when it has none.
enum class Output { kShown, kAside };

class ProcessRunner {
 public:
  virtual ~ProcessRunner() = default;

  /// Runs `argv` (argv[0] is the program, looked up in PATH when it has no
  /// "/"), with `env` added to the environment. With Wait::kYes returns the
  /// exit status (128 + the signal number when it was killed); otherwise 0
  /// once it started. NotFound when the program cannot be started.
  virtual base::Result<int> Run(const std::vector<std::string>& argv,
                                const std::vector<std::pair<std::string, std::string>>& env,
                                Wait wait, Output output) = 0;

  /// Whether `name` is an executable in PATH.
  virtual bool HasProgram(const std::string& name) = 0;
};

/// The real runner: posix_spawn, and waitpid when asked to wait. Children not
/// waited for are reaped on later calls, so they leave no zombies behind.
class PosixProcessRunner : public ProcessRunner {
 public:
  /// `aside_fd`, when not -1, receives the output put aside; it is not
  /// owned and must stay open while programs are started.
  explicit PosixProcessRunner(int aside_fd = -1) : aside_fd_(aside_fd) {}
  base::Result<int> Run(const std::vector<std::string>& argv,
                        const std::vector<std::pair<std::string, std::string>>& env, Wait wait,
                        Output output) override;
  bool HasProgram(const std::string& name) override;

 private:
  void ReapFinished();
  int aside_fd_;
  std::vector<int> running_;
};

}  // namespace cdsetup::platform
