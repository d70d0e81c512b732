#include "check/target_paths.h"

#include "base/ascii.h"
#include "base/limits.h"

namespace cdsetup::check {

std::optional<std::string> CheckTargetDirectory(const Medium& medium,
                                                const LanguageSection& language) {
  constexpr std::string_view kKey = "IDS_DOMYSLNY_KATALOG";
  const std::string dir = medium.script.Text(language.name, kKey);
  if (dir.empty()) return std::nullopt;
  const std::size_t line = medium.script.Line(language.name, kKey);
  const std::string what = KeyName(language.name, kKey, dir);
  if (dir.size() < 3 || !base::IsAsciiAlpha(dir[0]) || dir[1] != ':' ||
      (dir[2] != '\\' && dir[2] != '/')) {
    // Relative to the current folder, which is the CD's root: it refuses it.
    medium.report.Add(line, what + ": not a full path: the folder would be made on the CD");
    return std::nullopt;
  }
  // The folder is a name of the player's system: one of this language
  // must be able to spell it.
  if (base::Result<std::string> name =
          medium.platform().Recode(dir, language.code_page, language.system_code_page);
      !name.ok()) {
    medium.report.Add(line, what + ": " + name.status().message() +
                                ": a system of this language refuses the folder");
    return std::nullopt;
  }
  if (dir.size() > base::kMaxDirectory) {
    medium.report.Add(line, what + ": " + std::to_string(dir.size()) +
                                " characters: a folder path holds " +
                                std::to_string(base::kMaxDirectory));
    return std::nullopt;
  }
  return dir;
}

void CheckTargetPath(const Medium& medium, std::size_t line, const std::string& what,
                     std::string_view relative) {
  const std::size_t slash = relative.rfind('\\');
  for (const std::string& dir : medium.target_dirs) {
    const std::size_t path = dir.size() + 1 + relative.size();
    if (path > base::kMaxText) {
      medium.report.Add(line, what + ": below " + dir + " its path is " + std::to_string(path) +
                                  " characters: a path holds " + std::to_string(base::kMaxText));
      return;
    }
    const std::size_t folder = slash == std::string_view::npos ? 0 : dir.size() + 1 + slash;
    if (folder > base::kMaxDirectory) {
      medium.report.Add(line, what + ": below " + dir + " its folder's path is " +
                                  std::to_string(folder) + " characters: a folder path holds " +
                                  std::to_string(base::kMaxDirectory));
      return;
    }
  }
}

}  // namespace cdsetup::check
