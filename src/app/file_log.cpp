#include "app/file_log.h"

#include <cerrno>

#include "platform/platform.h"

namespace cdsetup::app {

base::Status FileLog::Open(const std::string& path) {
  file_.reset(std::fopen(path.c_str(), "a"));
  if (!file_) return base::Status::FromErrno(errno, "open " + path);
  return base::Status::Ok();
}

void FileLog::Write(std::string_view line) {
  if (!file_) return;
  auto convert = [](const std::function<std::string(std::string_view)>& to_utf8,
                    std::string_view part) { return to_utf8 ? to_utf8(part) : std::string(part); };
  std::string utf8;
  while (!line.empty()) {
    const std::size_t begin = line.find(base::kNameBegins);
    utf8 += convert(to_utf8_, line.substr(0, begin));
    if (begin == std::string_view::npos) break;
    line.remove_prefix(begin + 1);
    const std::size_t end = line.find(base::kNameEnds);
    const std::string_view name = line.substr(0, end);
    const std::size_t texts = name.find(platform::kTextNamesFollow);
    utf8 += convert(name_to_utf8_ ? name_to_utf8_ : to_utf8_, name.substr(0, texts));
    if (texts != std::string_view::npos) utf8 += convert(to_utf8_, name.substr(texts + 1));
    line.remove_prefix(end == std::string_view::npos ? line.size() : end + 1);
  }
  std::fwrite(utf8.data(), 1, utf8.size(), file_.get());
  std::fputc('\n', file_.get());
  std::fflush(file_.get());
}

}  // namespace cdsetup::app
