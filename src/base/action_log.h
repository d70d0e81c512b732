// The one log of a run's actions: pages shown, answers given, files written,
// registry values, links, programs started and messages, one line each. Every
// layer writes to it through this interface; main() decides where it goes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cdsetup::base {

class ActionLog {
 public:
  virtual ~ActionLog() = default;
  /// Records one line (without its line end).
  virtual void Write(std::string_view line) = 0;
};

/// Keeps the lines in memory, for tests and for callers that show them later.
class MemoryLog : public ActionLog {
 public:
  void Write(std::string_view line) override { lines_.emplace_back(line); }
  const std::vector<std::string>& lines() const { return lines_; }

 private:
  std::vector<std::string> lines_;
};

/// Writes `line` to `log` when there is one.
inline void WriteTo(ActionLog* log, std::string_view line) {
  if (log) log->Write(line);
}

}  // namespace cdsetup::base
