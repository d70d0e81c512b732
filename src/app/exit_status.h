// The program's exit statuses, as the README and --help promise them.
#pragma once

namespace cdsetup::app {

inline constexpr int kExitInstalled = 0;
inline constexpr int kExitCancelled = 1;  // cancelled or refused by the user
inline constexpr int kExitCopyFailed = 2;
inline constexpr int kExitRegistrationFailed = 3;
inline constexpr int kExitUsage = 4;          // bad command line, unusable medium or prefix
inline constexpr int kExitProblemsFound = 5;  // --check

}  // namespace cdsetup::app
