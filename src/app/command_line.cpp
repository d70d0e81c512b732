#include "app/command_line.h"

#include <CLI/CLI.hpp>

#include "app/exit_status.h"

namespace cdsetup::app {

std::optional<int> ParseCommandLine(int argc, char** argv, Invocation& in) {
  const PlatformTraits& traits = ThisPlatform();
  CLI::App cli{std::string(traits.about) +
                   "\n\nExit status: 0 installed; 1 cancelled or refused by the user; 2 the copy "
                   "failed (or its target folder could not be made); 3 registration failed (a "
                   "registry value or a shortcut was not written); 4 bad command line or "
                   "unusable medium or prefix. With --check: 0 nothing is wrong, 5 something "
                   "is, 4 the medium cannot be checked.",
               "cdsetup"};
  CLI::Option* check = cli.add_flag(
      "--check", in.check,
      "For the people who make the CD: read the medium as the installer does and report "
      "every problem, one line each with its install.ini line, then the sizes of the install "
      "types and a summary. Writes nothing, and uses no prefix");
  cli.add_option("--medium", in.medium, traits.medium_help);
  if (traits.has_prefix) {
    check->excludes(cli.add_option("--prefix", in.prefix,
                                   "The Wine prefix to install into (default: $WINEPREFIX, "
                                   "else ~/.wine); created when missing"));
    check->excludes(
        cli.add_option("--keep-cd-drive", in.keep_cd_drive,
                       "yes or no: after an install from a folder or a mounted disc, keep it "
                       "as the prefix's CD-ROM drive under the letter the install used, so "
                       "that the game finds its CD (default: yes)")
            ->check(CLI::IsMember({"yes", "no"}, CLI::ignore_case)));
  }
  cli.add_option("--ui", in.ui, traits.ui_help)->check(CLI::IsMember(traits.interfaces));
  cli.add_flag("--silent", in.silent, "Answer every page and question without asking (see below)");
  cli.add_option("--lang", in.language,
                 "The language section of install.ini to use, in place of the system language's "
                 "mapping (default: the mapping, else the first language listed)");
  cli.add_option("--type", in.install_type,
                 "Silent: the install type (default: std); ignored when the "
                 "script does not show the install type page")
      ->check(CLI::IsMember({"min", "std", "max"}));
  cli.add_option("--dir", in.directory,
                 "Silent: the target directory as a Windows path, e.g. "
                 "C:\\Games\\Foo (default: the one the script proposes)");
  cli.add_flag("--accept-licence", in.accept_licence,
               "Silent: accept the licence agreement (without it a silent run stops there)");
  cli.add_option("--log", in.log_path, "Record every action, one per line, in FILE");
  cli.add_option("--codepage", in.code_page,
                 "The ANSI code page of the script's texts (default: the chosen language's own, "
                 "else the system's; for --check, each language's own)");
  // A check installs nothing: the options of an installation have no place beside it.
  for (const char* name :
       {"--ui", "--silent", "--lang", "--type", "--dir", "--accept-licence", "--log"}) {
    check->excludes(cli.get_option(name));
  }
  cli.set_version_flag("--version", std::string("cdsetup ") + CDSETUP_VERSION);
  cli.footer(
      "Silent runs answer: the language with --lang, the licence only with --accept-licence, "
      "the install type with --type, the directory with --dir, Yes to creating the directory, "
      "No to the extra programs and to DirectX.");
  try {
    cli.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int status = cli.exit(e);
    return status == 0 ? 0 : kExitUsage;
  }
  in.argv0 = argc > 0 ? argv[0] : "cdsetup";
  in.executable = ExecutablePath(in.argv0.c_str());
  return std::nullopt;
}

}  // namespace cdsetup::app
