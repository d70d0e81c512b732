// Wine for the tests that check what it makes of our files and what our
// guard sees of it: commands run for one prefix in a quiet environment
// without a display, and every server they start ended, with the folders Wine
// made for it outside the prefix, when the session ends.
#pragma once

#include <string>

namespace cdsetup::testing {

/// What a test reports when Wine is missing: it fails, never skips.
inline constexpr const char* kWineMissing = "wine is not installed; scripts/deps.sh installs it";

/// Whether wine and wineserver can be run.
bool WineInstalled();

/// What a test reports when the Polish locale cannot be made.
inline constexpr const char* kPolishLocaleMissing =
    "localedef cannot make pl_PL.UTF-8; scripts/deps.sh installs the locales package";

/// Makes the pl_PL.UTF-8 locale in `dir` (created), so that Wine takes a
/// Polish system (code page 1250, OEM 852) without the host having the
/// locale installed. Returns the assignments that select it
/// ("LOCPATH=... LANG=pl_PL.UTF-8 ..."), for WineSession; empty on failure.
std::string PolishLocale(const std::string& dir);

/// What a test reports when a locale cannot be made.
inline constexpr const char* kLocaleMissing =
    "localedef cannot make the locale; scripts/deps.sh installs the locales package";

/// Makes the UTF-8 locale of `language` ("en_US", "pl_PL") in `dir`, as
/// PolishLocale does, and returns the assignments that select it.
std::string MakeLocale(const std::string& dir, const std::string& language);

struct CommandResult {
  int status = -1;  // the exit status; -1 when the command did not end by itself
  std::string out;
  std::string err;
};

class WineSession {
 public:
  /// A session for the prefix at `prefix_dir`, which must outlive it. `env`
  /// holds assignments given to every command, End()'s too; Debian's folder of
  /// a server started with another TMPDIR there is left to that directory's
  /// owner.
  explicit WineSession(std::string prefix_dir, std::string env = "");
  /// Ends the session as End() does.
  ~WineSession();
  WineSession(const WineSession&) = delete;
  WineSession& operator=(const WineSession&) = delete;

  /// Runs a shell command line ("wine reg query ...", "wineserver -p") with
  /// WINEPREFIX set to the prefix, Wine's debug output, its Mono and Gecko
  /// installers and its menu builder off, and no display; `env` adds
  /// assignments ("LANG=pl_PL.UTF-8"). Blocks until the command ends.
  CommandResult Run(const std::string& command, const std::string& env = "") const;

  /// Ends the prefix's wineserver and waits until it is gone, then removes
  /// the server folders Wine made for the prefix: server-<dev>-<ino> in each
  /// of Wine's places, and the folder of Debian's that the prefix records.
  void End();

 private:
  std::string prefix_;
  std::string env_;
};

}  // namespace cdsetup::testing
