#include "platform/prefix/windows_path.h"

#include "base/ascii.h"
#include "platform/platform.h"

namespace cdsetup::platform {
namespace {

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

bool BadComponentChar(unsigned char c) {
  return c < 0x20 || c == '"' || c == '<' || c == '>' || c == '|' || c == ':';
}

}  // namespace

std::string WindowsPath::Root() const {
  std::string s;
  s += static_cast<char>(drive - 'a' + 'A');
  s += ":\\";
  return s;
}

std::string WindowsPath::ToString() const {
  std::string s = Root();
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i) s += '\\';
    s += parts[i];
  }
  return s;
}

base::Result<WindowsPath> WindowsPath::Parse(std::string_view path, const WindowsPath& cwd) {
  if (path.empty()) return base::Status::Refused("empty path");
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    return base::Status::Refused("network paths are not supported: " + std::string(path));
  }
  WindowsPath out;
  std::string_view rest = path;
  if (rest.size() >= 2 && rest[1] == ':') {
    if (!base::IsAsciiAlpha(rest[0]))
      return base::Status::Refused("not a drive letter: " + std::string(path));
    out.drive = base::ToLowerAscii(rest[0]);
    rest.remove_prefix(2);
    if (!rest.empty() && IsSeparator(rest[0])) {
      // absolute on that drive
    } else if (out.drive == cwd.drive) {
      out.parts = cwd.parts;
    }
  } else if (IsSeparator(rest[0])) {
    out.drive = cwd.drive;
  } else {
    out = cwd;
  }

  std::size_t pos = 0;
  while (pos <= rest.size()) {
    std::size_t end = pos;
    while (end < rest.size() && !IsSeparator(rest[end])) ++end;
    std::string_view part = rest.substr(pos, end - pos);
    pos = end + 1;
    if (!part.empty() && part[0] == kTextNamesFollow) {
      if (out.text_from > out.parts.size()) out.text_from = out.parts.size();
      part.remove_prefix(1);
    }
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!out.parts.empty()) out.parts.pop_back();
      if (out.text_from > out.parts.size() && out.text_from != SIZE_MAX) {
        out.text_from = out.parts.size();
      }
      continue;
    }
    for (char c : part) {
      if (BadComponentChar(static_cast<unsigned char>(c))) {
        return base::Status::Refused("invalid character in path: " + std::string(path));
      }
    }
    out.parts.emplace_back(part);
  }
  return out;
}

bool HasWildcards(std::string_view component) {
  return component.find_first_of("*?") != std::string_view::npos;
}

}  // namespace cdsetup::platform
