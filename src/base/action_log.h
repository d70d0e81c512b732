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

/// A name of the system (a path) in a log line, marked so that the log reads
/// it in the names' code page; the rest of the line is in the texts'.
inline constexpr char kNameBegins = '\x02';
inline constexpr char kNameEnds = '\x03';
inline std::string NameInLog(std::string_view name) {
  return kNameBegins + std::string(name) + kNameEnds;
}

/// Writes `line` to `log` when there is one.
inline void WriteTo(ActionLog* log, std::string_view line) {
  if (log) log->Write(line);
}

}  // namespace cdsetup::base
