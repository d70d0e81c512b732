#include "platform/platform.h"

#include <algorithm>

namespace cdsetup::platform {

std::string Platform::ProgramsFolder() {
  base::Result<RegKey> key =
      RegOpenKeyA(RegRoot::kCurrentUser,
                  "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
  if (!key.ok()) return std::string();
  base::Result<std::string> folder = RegQueryValueA(*key, "Programs");
  RegCloseKey(*key);
  return folder.ok() ? *folder : std::string();
}

std::string TextNamedPath(std::string_view base, std::string_view text) {
  std::string path(base);
  if (!path.empty() && path.back() != '\\' && path.back() != '/' && path.back() != ':') {
    path += '\\';
  }
  path += kTextNamesFollow;
  path += text;
  return path;
}

std::string WithoutTextMark(std::string_view path) {
  std::string shown(path);
  std::erase(shown, kTextNamesFollow);
  return shown;
}

std::size_t PathLength(std::string_view path) {
  return path.size() -
         static_cast<std::size_t>(std::count(path.begin(), path.end(), kTextNamesFollow));
}

base::Status NameLacksLetter(std::string_view text, std::string_view letter, int code_page) {
  return base::Status::Refused("the name \"" + std::string(text) + "\" holds the letter \"" +
                               std::string(letter) + "\", which code page " +
                               std::to_string(code_page) + " cannot hold in a file name");
}

}  // namespace cdsetup::platform
