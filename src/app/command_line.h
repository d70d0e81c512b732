// The command line: every option with its help, as --help shows it, parsed
// into an Invocation.
#pragma once

#include <optional>

#include "app/session.h"

namespace cdsetup::app {

/// Parses `argv` into `invocation`. An exit status when the run ends here:
/// 0 after --help or --version, kExitUsage after a bad command line (both
/// already printed); nullopt to go on.
std::optional<int> ParseCommandLine(int argc, char** argv, Invocation& invocation);

}  // namespace cdsetup::app
