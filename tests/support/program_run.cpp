#include "support/program_run.h"

#include <sys/wait.h>

#include <cstdlib>

namespace cdsetup::testing {

ProgramRun RunProgram(const std::string& command, const std::string& input,
                      const ScopedTempDir& dir) {
  WriteFile(dir / "stdin", input);
  const std::string redirected =
      command + " < '" + dir / "stdin" + "' > '" + dir / "stdout" + "' 2> '" + dir / "stderr" + "'";
  ProgramRun run;
  const int raw = std::system(redirected.c_str());
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = ReadFile(dir / "stdout");
  run.err = ReadFile(dir / "stderr");
  return run;
}

}  // namespace cdsetup::testing
