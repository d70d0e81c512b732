// Runs a built program as a user runs it, from a shell, and keeps what it
// printed: for the tests of cdsetup's command line.
#pragma once

#include <string>

#include "support/scoped_temp_dir.h"

namespace cdsetup::testing {

struct ProgramRun {
  int status = -1;  // the exit status; -1 when it did not exit
  std::string out, err;
};

/// Runs `command` through the shell with `input` on its standard input; its
/// output streams pass through the files stdin, stdout and stderr of `dir`.
ProgramRun RunProgram(const std::string& command, const std::string& input,
                      const ScopedTempDir& dir);

}  // namespace cdsetup::testing
