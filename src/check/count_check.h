// A count key and its numbered family: files with 0, 1, ...; Shortcuts with
// Description%d and File%d; OTHERFILES with Message%d and Exe%d; Nr with the
// language names. The installer reads exactly the members its count names,
// so a missing member reads as empty and one beyond the count is never read.
#pragma once

#include <climits>
#include <string_view>
#include <vector>

#include "check/report.h"
#include "check/script_map.h"

namespace cdsetup::check {

struct CountedFamily {
  std::string_view section;
  std::string_view count_key;
  /// Patterns of the members that must be there for 0 .. count-1.
  std::vector<std::string_view> members;
  /// What a missing member does, for the report.
  std::string_view missing_means;
  /// The most members the installer takes; more are cut.
  int limit = INT_MAX;
};

/// Reports a count that is no number or below 0, one above the limit, each
/// member the count names that is missing, and each member beyond the count
/// (language ids in [Language] are no members). Returns the number of
/// members the installer reads: 0 .. limit.
int CheckCount(const ScriptMap& script, Report& report, const CountedFamily& family);

}  // namespace cdsetup::check
