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
  if (to_utf8_) {
    const std::string utf8 = to_utf8_(line);
    std::fwrite(utf8.data(), 1, utf8.size(), file_.get());
  } else {
    std::fwrite(line.data(), 1, line.size(), file_.get());
  }
  std::fputc('\n', file_.get());
  std::fflush(file_.get());
}

}  // namespace cdsetup::app
