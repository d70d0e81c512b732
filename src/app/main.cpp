// cdsetup: installs the game from its medium into a Wine prefix (on Windows:
// into Windows itself), or checks a medium for the people who make the CD.
#include <cstdio>
#include <string>

#include "app/command_line.h"
#include "app/exit_status.h"
#include "app/install_app.h"
#include "app/session.h"

using namespace cdsetup;

namespace {

int Fail(const std::string& why, int status = app::kExitUsage) {
  std::fprintf(stderr, "cdsetup: %s\n", why.c_str());
  return status;
}

// A run that cannot begin: told on the terminal, and in a box where the
// interface is windows.
int FailToStart(const app::Invocation& invocation, const std::string& why, int status) {
  Fail(why, status);
  std::fflush(stderr);
  app::ShowStartupFailure(invocation, why, status);
  return status;
}

int ExitStatus(app::Outcome outcome) {
  switch (outcome) {
    case app::Outcome::kInstalled:
      return app::kExitInstalled;
    case app::Outcome::kCopyFailed:
      return app::kExitCopyFailed;
    case app::Outcome::kRegistrationFailed:
      return app::kExitRegistrationFailed;
    case app::Outcome::kBadCommandLine:
      return app::kExitUsage;
    default:
      return app::kExitCancelled;
  }
}

}  // namespace

int main(int argc, char** argv) {
  app::BorrowConsole();
  app::Invocation invocation;
  if (std::optional<int> done = app::ParseCommandLine(argc, argv, invocation)) return *done;
  app::SettleConsole(invocation);
  if (base::Status medium = app::LocateMedium(invocation); !medium.ok()) {
    return invocation.check ? Fail(medium.message())
                            : FailToStart(invocation, medium.message(), app::kExitUsage);
  }
  if (invocation.check) {
    auto report = app::CheckMedium(invocation);
    if (!report.ok()) return Fail(report.status().message());
    for (const std::string& line : report->lines) std::printf("%s\n", line.c_str());
    std::printf("cdsetup --check %s: %s\n", invocation.medium.c_str(), report->summary.c_str());
    return report->clean ? app::kExitInstalled : app::kExitProblemsFound;
  }
  auto session = app::OpenSession(invocation);
  if (!session.ok()) {
    // Wine owning the prefix's registry: the registration could not be made.
    return FailToStart(invocation, session.status().message(),
                       session.status().IsBusy() ? app::kExitRegistrationFailed : app::kExitUsage);
  }
  const app::RunResult result = app::RunInstaller(**session);
  const int status = ExitStatus(result.outcome);
  if (status != app::kExitInstalled) Fail(result.reason, status);
  (*session)->log().Write("exit status " + std::to_string(status) +
                          (result.reason.empty() ? "" : ": " + result.reason));
  return status;
}
