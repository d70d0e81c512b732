// A process runner that runs nothing: it records each start and answers with
// a set exit status, so tests see exactly what would have been started.
#pragma once

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/prefix/process_runner.h"

namespace cdsetup::testing {

class RecordingRunner : public platform::ProcessRunner {
 public:
  struct Start {
    std::vector<std::string> argv;
    std::vector<std::pair<std::string, std::string>> env;
    platform::Wait wait;
    platform::Output output;
  };

  base::Result<int> Run(const std::vector<std::string>& argv,
                        const std::vector<std::pair<std::string, std::string>>& env,
                        platform::Wait wait, platform::Output output) override {
    starts.push_back({argv, env, wait, output});
    if (fail) return base::Status::NotFound("cannot start " + argv[0]);
    return wait == platform::Wait::kYes ? exit_status : 0;
  }
  bool HasProgram(const std::string& name) override { return programs.count(name) > 0; }

  std::vector<Start> starts;
  std::set<std::string> programs;
  int exit_status = 0;
  bool fail = false;
};

}  // namespace cdsetup::testing
