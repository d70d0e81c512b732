// The --log file: the action log appended to a file in UTF-8, one line each,
// flushed as it is written so that a run that ends abruptly still leaves its
// lines.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "base/action_log.h"
#include "base/result.h"

namespace cdsetup::app {

class FileLog : public base::ActionLog {
 public:
  /// Opens `path` for appending. Until then (or when it failed) lines go nowhere.
  base::Status Open(const std::string& path);
  /// Lines reach the log in the ANSI code page; the file, which a person
  /// reads in a terminal, holds them in UTF-8 through `to_utf8`. Without one
  /// they are written as given.
  void SetConverter(std::function<std::string(std::string_view)> to_utf8) {
    to_utf8_ = std::move(to_utf8);
  }
  /// The same for the names marked with base::NameInLog, which are in the
  /// system's code page (up to a path's text mark, after which they are texts).
  void SetNameConverter(std::function<std::string(std::string_view)> name_to_utf8) {
    name_to_utf8_ = std::move(name_to_utf8);
  }
  void Write(std::string_view line) override;
  /// The open file, for libraries that print to a stream; null when none.
  std::FILE* file() const { return file_.get(); }

 private:
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, Closer> file_;
  std::function<std::string(std::string_view)> to_utf8_;
  std::function<std::string(std::string_view)> name_to_utf8_;
};

}  // namespace cdsetup::app
