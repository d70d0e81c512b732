#include "check/medium_check.h"

#include <algorithm>

#include "base/limits.h"
#include "check/file_lists.h"
#include "check/languages.h"
#include "check/page_files.h"
#include "check/programs_check.h"
#include "check/scratch_dir.h"
#include "check/shortcut_check.h"
#include "check/target_paths.h"
#include "check/text_check.h"
#include "check/text_fit.h"
#include "check/unread_keys.h"

namespace cdsetup::check {

namespace {

constexpr const char* kInstallTypes[] = {"min", "std", "max"};

// The installer's own folder, as it finds its script beside itself.
std::string InstallerDirectory(platform::Platform& platform) {
  std::string module = platform.GetModuleFileNameA();
  if (module.size() > base::kMaxText) module.resize(base::kMaxText);
  const std::size_t slash = module.rfind('\\');
  return slash == std::string::npos ? std::string() : module.substr(0, slash);
}

void NoteSizes(Report& report, const InstallTypeSummary (&types)[3], const ArchiveCache& archives,
               bool offered) {
  for (std::size_t i = 0; i < 3; ++i) {
    const InstallTypeSummary& t = types[i];
    const bool shown = offered || std::string_view(kInstallTypes[i]) == "std";
    report.Note(std::string(kInstallTypes[i]) + ": " + std::to_string(t.files) + " files of " +
                std::to_string(t.file_bytes) + " bytes and " + std::to_string(t.sounds) +
                " WAV files of " + std::to_string(t.wav_bytes) +
                " bytes: " + Bytes(t.file_bytes + t.wav_bytes) + (shown ? "" : " (not offered)"));
  }
  std::uint64_t wav = 0;
  std::size_t sounds = 0;
  for (const auto& [name, archive] : archives) {
    wav += archive.wav_bytes;
    sounds += archive.sounds.size();
  }
  report.Note("sounds: " + std::to_string(archives.size()) + " archives become " +
              std::to_string(sounds) + " WAV files of " + Bytes(wav));
}

}  // namespace

base::Result<Report> CheckMedium(platform::Platform& platform, const CheckOptions& options) {
  auto scratch = ScratchDir::Make(options.scratch_parent);
  if (!scratch.ok()) return scratch.status();
  const SoundProbe probe(scratch.value());

  Report report;
  const std::string root = InstallerDirectory(platform);
  const ScriptMap script(platform, root + "\\install.ini");
  Medium medium{script, report, root, {}, false, false, {}};
  medium.licence_shown = script.script().ReadSwitch("Option", "show_licence");
  medium.install_type_shown = script.script().ReadSwitch("Option", "show_install_mode");
  medium.languages = FindLanguages(script, report, options.code_page);
  for (const LanguageSection& language : medium.languages) {
    std::optional<std::string> dir = CheckTargetDirectory(medium, language);
    auto& dirs = medium.target_dirs;
    if (dir && std::find(dirs.begin(), dirs.end(), *dir) == dirs.end()) dirs.push_back(*dir);
  }
  const int option_code_page = options.code_page ? options.code_page : platform.NameCodePage();
  for (const platform::ProfileEntry& key : script.Keys("Option")) {
    if (key.repeated) continue;
    CheckValue(medium, key.line, KeyName("Option", key.name), script.WholeText("Option", key.name),
               option_code_page);
  }
  for (const LanguageSection& language : medium.languages) {
    CheckTexts(medium, language);
    CheckTextsFit(medium, language);
    CheckPageFiles(medium, language);
    CheckPrograms(medium, language);
  }
  CheckSharedUninstaller(medium);

  ArchiveCache archives;
  InstallTypeSummary types[3];
  for (std::size_t i = 0; i < 3; ++i) {
    types[i] = CheckInstallType(medium, probe, kInstallTypes[i], archives);
  }
  Installable installable = {&types[1].installed};
  if (medium.install_type_shown)
    installable = {&types[0].installed, &types[1].installed, &types[2].installed};
  for (const LanguageSection& language : medium.languages) {
    CheckShortcuts(medium, language, installable);
  }
  CheckUninstaller(medium, installable);
  CheckUnreadKeys(medium);
  NoteSizes(report, types, archives, medium.install_type_shown);
  return report;
}

}  // namespace cdsetup::check
