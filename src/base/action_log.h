// The one log of a run's actions: pages shown, answers given, files written,
// registry values, links, programs started and messages, one line each. Every
// layer writes to it through this interface; main() decides where it goes.
#pragma once

#include <string>
#include <string_view>

namespace cdsetup::base {

class ActionLog {
 public:
  virtual ~ActionLog() = default;
  /// Records one line (without its line end).
  virtual void Write(std::string_view line) = 0;
};

/// Writes `line` to `log` when there is one.
inline void WriteTo(ActionLog* log, std::string_view line) {
  if (log) log->Write(line);
}

}  // namespace cdsetup::base
