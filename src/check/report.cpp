#include "check/report.h"

#include <algorithm>

#include "base/number_text.h"

namespace cdsetup::check {

std::vector<std::string> Report::Lines() const {
  std::vector<Problem> sorted = problems_;
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const Problem& a, const Problem& b) { return a.line < b.line; });
  std::vector<std::string> out;
  for (const Problem& p : sorted) {
    out.push_back("install.ini:" + (p.line ? std::to_string(p.line) + ":" : std::string()) + " " +
                  p.text);
  }
  out.insert(out.end(), notes_.begin(), notes_.end());
  return out;
}

std::string Report::Summary() const {
  if (problems_.empty()) return "no problems found";
  return std::to_string(problems_.size()) +
         (problems_.size() == 1 ? " problem found" : " problems found");
}

std::string Bytes(unsigned long long bytes) {
  return std::to_string(bytes) + " bytes (" +
         base::FormatTenths(static_cast<double>(bytes) / (1024.0 * 1024.0)) + " MB)";
}

}  // namespace cdsetup::check
