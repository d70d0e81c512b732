// What a check of a medium found: its problems, each on the line of
// install.ini it concerns where there is one, and notes that are no
// problems (the sizes of the install types and of the sounds).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace cdsetup::check {

struct Problem {
  std::size_t line = 0;  // of install.ini, 1-based; 0 for none
  std::string text;      // ANSI, as the script's texts
};

class Report {
 public:
  void Add(std::size_t line, std::string text) { problems_.push_back({line, std::move(text)}); }
  void Note(std::string text) { notes_.push_back(std::move(text)); }

  bool clean() const { return problems_.empty(); }
  const std::vector<Problem>& problems() const { return problems_; }
  const std::vector<std::string>& notes() const { return notes_; }

  /// Everything to print but the summary, one line each: the problems in the
  /// order of their lines ("install.ini:12: ..."; those of no line first, as
  /// "install.ini: ..."), then the notes.
  std::vector<std::string> Lines() const;
  /// "no problems found", or "3 problems found".
  std::string Summary() const;

 private:
  std::vector<Problem> problems_;
  std::vector<std::string> notes_;
};

/// `bytes` as a count with its size in MB: "1234567 bytes (1.2 MB)".
std::string Bytes(unsigned long long bytes);

}  // namespace cdsetup::check
