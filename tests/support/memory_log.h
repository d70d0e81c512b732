// An action log that keeps its lines, for tests to read back.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/action_log.h"

namespace cdsetup::testing {

class MemoryLog : public base::ActionLog {
 public:
  void Write(std::string_view line) override { lines_.emplace_back(line); }
  const std::vector<std::string>& lines() const { return lines_; }

 private:
  std::vector<std::string> lines_;
};

}  // namespace cdsetup::testing
