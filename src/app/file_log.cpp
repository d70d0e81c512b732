#include "app/file_log.h"

#include <cerrno>

namespace cdsetup::app {

base::Status FileLog::Open(const std::string& path) {
  file_.reset(std::fopen(path.c_str(), "a"));
  if (!file_) return base::Status::FromErrno(errno, "open " + path);
  return base::Status::Ok();
}

void FileLog::Write(std::string_view line) {
  if (!file_) return;
  std::fwrite(line.data(), 1, line.size(), file_.get());
  std::fputc('\n', file_.get());
  std::fflush(file_.get());
}

}  // namespace cdsetup::app
