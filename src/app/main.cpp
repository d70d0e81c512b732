// cdsetup: installs the game from its medium into a Wine prefix (on Windows:
// into Windows itself), or checks a medium for the people who make the CD.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "app/file_log.h"
#include "app/install_app.h"
#include "check/medium_check.h"
#include "check/scratch_dir.h"
#include "copy/audio_sound_converter.h"
#include "framework/silent_policy.h"
#include "framework/window_manager.h"
#include "platform/system_platform.h"
#if defined(_WIN32)
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_text.h"
#else
#include "platform/prefix/code_page.h"
#include "platform/prefix/prefix_platform.h"
#endif
#include "ui/console/console_backend.h"
#include "ui/console/terminal.h"
#if defined(_WIN32)
#include "ui/win32/win32_backend.h"
#endif
#if CDSETUP_WITH_QT
#include "ui/qt/qt_windows.h"
#endif

namespace fs = std::filesystem;
using namespace cdsetup;

namespace {

constexpr int kExitInstalled = 0;
constexpr int kExitCancelled = 1;
constexpr int kExitCopyFailed = 2;
constexpr int kExitRegistrationFailed = 3;
constexpr int kExitUsage = 4;
constexpr int kExitProblemsFound = 5;  // --check

int Fail(const std::string& why) {
  std::fprintf(stderr, "cdsetup: %s\n", why.c_str());
  return kExitUsage;
}

#if defined(_WIN32)
constexpr const char* kNullDevice = "NUL";

std::string ExecutablePath(const char* argv0) {
  auto self = platform::Win32Platform::Open({});
  return self.ok() ? self.value()->GetModuleFileNameA() : std::string(argv0);
}
#else
constexpr const char* kNullDevice = "/dev/null";

std::string ExecutablePath(const char* argv0) {
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string(argv0) : self.string();
}
#endif

// The medium: the one named, else the executable's folder when the script
// lies beside it, else the current directory.
std::string FindMedium(const std::string& given, const std::string& exe) {
  if (!given.empty()) return given;
  const fs::path beside = fs::path(exe).parent_path();
  if (fs::exists(beside / "install.ini")) return beside.string();
  return fs::current_path().string();
}

bool HasScript(const std::string& medium) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(medium, ec)) {
    std::string name = entry.path().filename().string();
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (name == "install.ini") return true;
  }
  return false;
}

// The check opens no prefix of the user's: a scratch one, removed after it,
// shows the medium as the CD. The report goes to the terminal in UTF-8.
int CheckMedium(const std::string& medium, const std::string& exe, int code_page) {
#if defined(_WIN32)
  // Windows reads the medium where it is; the check writes only its scratch
  // folder for the sounds.
  (void)exe;
  platform::Win32Options options;
  options.medium_dir = medium;
  auto opened = platform::Win32Platform::Open(options);
#else
  auto scratch = check::ScratchDir::Make();
  if (!scratch.ok()) return Fail(scratch.status().ToString());
  platform::PrefixOptions options;
  options.prefix_dir = scratch->File("prefix");
  options.medium_dir = medium;
  options.program_name = fs::path(exe).filename().string();
  options.code_page = code_page;
  auto opened = platform::PrefixPlatform::Open(options);
#endif
  if (!opened.ok()) return Fail("cannot show the medium: " + opened.status().ToString());
  auto report = check::CheckMedium(*opened.value(), check::CheckOptions{code_page, ""});
  if (!report.ok()) return Fail(report.status().ToString());
#if defined(_WIN32)
  // The console shows the ANSI code page, the report's own.
  for (const std::string& line : report->Lines()) std::printf("%s\n", line.c_str());
#else
  const platform::CodePage cp(opened.value()->AnsiCodePage());
  for (const std::string& line : report->Lines()) std::printf("%s\n", cp.ToUtf8(line).c_str());
#endif
  std::printf("cdsetup --check %s: %s\n", medium.c_str(), report->Summary().c_str());
  return report->clean() ? kExitInstalled : kExitProblemsFound;
}

#if !defined(_WIN32)
// Windows when there is somewhere to show them.
bool DisplayAvailable() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}
#endif

#if defined(_WIN32)
constexpr const char* kAbout =
    "cdsetup installs the game on this medium; with --check it checks a medium before it is "
    "pressed (on the CD's drive, the one the script's X: stands for). Without options it "
    "behaves as the installer started from its CD.\n\n"
#else
constexpr const char* kAbout =
    "cdsetup installs the game on this medium into a Wine prefix, so that it can be played "
    "with Wine; with --check it checks a medium before it is pressed. Without options it "
    "behaves as the installer started from its CD.\n\n"
#endif
    "Exit status: 0 installed; 1 cancelled or refused by the user; 2 the copy failed; "
    "3 registration failed; 4 bad command line or unusable medium or prefix. With --check: "
    "0 nothing is wrong, 5 something is, 4 the medium cannot be checked.";

}  // namespace

int main(int argc, char** argv) {
  CLI::App cli{kAbout, "cdsetup"};
  std::string medium, prefix, ui, lang, type, dir, log_path;
  int code_page = 0;
  bool silent = false, accept_licence = false, check_medium = false;
  CLI::Option* check = cli.add_flag(
      "--check", check_medium,
      "For the people who make the CD: read the medium as the installer does and report "
      "every problem, one line each with its install.ini line, then the sizes of the install "
      "types and a summary. Writes nothing, and uses no prefix");
  cli.add_option("--medium", medium,
                 "Folder of the installation medium (default: the folder of this program when "
                 "install.ini lies beside it, else the current directory)");
#if !defined(_WIN32)
  cli.add_option("--prefix", prefix,
                 "The Wine prefix to install into (default: $WINEPREFIX, else ~/.wine); "
                 "created when missing");
#endif
#if defined(_WIN32)
  cli.add_option("--ui", ui,
                 "The interface: windows (the system's dialogs) or console (text pages in the "
                 "console). Default: windows. --silent always answers on the console")
      ->check(CLI::IsMember({"console", "windows"}));
#elif CDSETUP_WITH_QT
  cli.add_option("--ui", ui,
                 "The interface: qt (windows) or console (text pages on the terminal). "
                 "Default: qt when DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM is set and "
                 "cdsetup-qt.so beside the program can be loaded, else console. --silent always "
                 "answers on the console")
      ->check(CLI::IsMember({"console", "qt"}));
#else
  cli.add_option("--ui", ui,
                 "The interface: console (text pages on the terminal), the only one this "
                 "build has")
      ->check(CLI::IsMember({"console"}));
#endif
  cli.add_flag("--silent", silent, "Answer every page and question without asking (see below)");
  cli.add_option("--lang", lang,
                 "The language section of install.ini to use, in place of the system language's "
                 "mapping (default: the mapping, else the first language listed)");
  cli.add_option("--type", type,
                 "Silent: the install type (default: std); ignored when the "
                 "script does not show the install type page")
      ->check(CLI::IsMember({"min", "std", "max"}));
  cli.add_option("--dir", dir,
                 "Silent: the target directory as a Windows path, e.g. "
                 "C:\\Games\\Foo (default: the one the script proposes)");
  cli.add_flag("--accept-licence", accept_licence,
               "Silent: accept the licence agreement (without it a silent run stops there)");
  cli.add_option("--log", log_path, "Record every action, one per line, in FILE");
  cli.add_option("--codepage", code_page,
                 "The ANSI code page of the script's texts (default: the chosen language's own, "
                 "else the system's; for --check, each language's own)");
  // A check installs nothing: the options of an installation have no place beside it.
  for (const char* name :
       {"--ui", "--silent", "--lang", "--type", "--dir", "--accept-licence", "--log"}) {
    check->excludes(cli.get_option(name));
  }
#if !defined(_WIN32)
  check->excludes(cli.get_option("--prefix"));
#endif
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
#if defined(_WIN32)
  if (ui.empty()) ui = "windows";
  [[maybe_unused]] const bool windows = ui == "windows" && !silent;
#else
  [[maybe_unused]] const bool ui_chosen = !ui.empty();
  if (ui.empty()) ui = CDSETUP_WITH_QT && DisplayAvailable() ? "qt" : "console";
  [[maybe_unused]] bool windows = ui == "qt" && !silent;
#endif

  const std::string exe = ExecutablePath(argv[0]);
  medium = FindMedium(medium, exe);
  std::error_code medium_error;  // a path that cannot be examined is no medium either
  if (!fs::is_directory(medium, medium_error)) return Fail("no medium at " + medium);
  if (!HasScript(medium)) return Fail("the medium " + medium + " holds no install.ini");
  if (check_medium) return CheckMedium(medium, exe, code_page);
    // A display that cannot be opened ends the run here, with status 4, before
    // anything is written.
#if CDSETUP_WITH_QT
  std::unique_ptr<ui::qt::QtWindows> qt_windows;
  if (windows) {
    auto opened = ui::qt::OpenQtWindows(exe, argv[0], kExitUsage);
    if (opened.ok()) {
      qt_windows = std::move(opened).value();
    } else if (ui_chosen) {
      return Fail(opened.status().message() + "; use --ui console");
    } else {
      // Windows were only the default: the console serves as well.
      std::fprintf(stderr, "cdsetup: %s; using the console\n", opened.status().message().c_str());
      windows = false;
    }
  }
#endif
#if !defined(_WIN32)
  if (prefix.empty()) {
    const char* env = std::getenv("WINEPREFIX");
    const char* home = std::getenv("HOME");
    prefix = env && *env ? env : std::string(home ? home : ".") + "/.wine";
  }
#endif

  app::FileLog action_log;
  if (!log_path.empty()) {
    if (base::Status opened = action_log.Open(log_path); !opened.ok()) {
      return Fail("cannot write the log " + log_path + ": " + opened.ToString());
    }
  }

#if defined(_WIN32)
  // The installer as if started from the medium: its module file name and
  // current directory there.
  platform::UseAnsiCodePageOnConsole();
  platform::Win32Options options;
  options.medium_dir = medium;
  auto opened = platform::Win32Platform::Open(options);
  if (!opened.ok())
    return Fail("cannot use the medium " + medium + ": " + opened.status().ToString());
  platform::Platform& platform = *opened.value();
  const std::string where = "medium " + medium;
#else
  platform::PrefixOptions options;
  options.prefix_dir = prefix;
  options.medium_dir = medium;
  options.program_name = fs::path(exe).filename().string();
  options.code_page = code_page;
  auto opened = platform::PrefixPlatform::Open(options);
  if (!opened.ok())
    return Fail("cannot use the prefix " + prefix + ": " + opened.status().ToString());
  platform::PrefixPlatform& platform = *opened.value();
  const std::string where = "prefix " + prefix + ", medium " + medium;
#endif
  // A wineserver that owns the registry stops the run before any page: the
  // registration could not be made, though the prefix itself is fine.
  if (base::Status writable = platform.RegistryWritable(); !writable.ok()) {
    std::fprintf(stderr, "cdsetup: %s\n", writable.message().c_str());
    return kExitRegistrationFailed;
  }
  platform::SetSystemPlatform(&platform);
  action_log.Write(where + ", code page " + std::to_string(platform.AnsiCodePage()));

#if defined(_WIN32)
  // The script's texts are in its language's code page, which need not be
  // the system's: the dialogs show them in UTF-16, the console is switched to
  // that code page, and only the program's own UTF-8 texts and the log are
  // converted. 0 stands for the system's ANSI code page.
  unsigned text_code_page = code_page > 0 ? static_cast<unsigned>(code_page) : 0;
  if (text_code_page) platform::UseCodePageOnConsole(text_code_page);
  auto to_utf8 = [](std::string_view text) { return std::string(text); };
  auto from_utf8 = [](std::string_view typed) { return std::string(typed); };
  auto resource_text = [&](std::string_view utf8) {
    return platform::Utf8ToCodePage(utf8, text_code_page);
  };
  action_log.SetConverter(
      [&](std::string_view text) { return platform::CodePageToUtf8(text, text_code_page); });
#else
  // The terminal, the command line and the log are UTF-8. The code page may
  // change once the language is chosen (its texts are in the language's own),
  // so every conversion asks the platform's current one.
  auto to_utf8 = [&](std::string_view ansi) { return platform.code_page().ToUtf8(ansi); };
  auto from_utf8 = [&](std::string_view utf8) { return platform.code_page().FromUtf8(utf8); };
  auto resource_text = from_utf8;
  action_log.SetConverter(to_utf8);
#endif
  framework::WindowManager& wm = framework::WindowManager::Get();
  wm.SetResourceTextDecoder(resource_text);
  wm.SetDiagnostics([&](const std::string& line) { action_log.Write("framework: " + line); });

  framework::SilentAnswers answers;
  answers.accept_licence = accept_licence;
  if (!type.empty()) answers.install_type = type;
  if (!dir.empty()) answers.directory = from_utf8(dir);
  framework::SilentPolicy policy(answers);

  ui::console::ConsoleOptions console_options;
  console_options.log = &action_log;
  console_options.to_terminal = to_utf8;
  console_options.from_terminal = from_utf8;
  if (silent) console_options.policy = &policy;
  ui::console::ConsoleBackend console_backend(console_options);
#if CDSETUP_WITH_QT
  if (qt_windows) {
    ui::qt::QtOptions qt_options;
    qt_options.log = &action_log;
    qt_options.to_utf8 = console_options.to_terminal;
    qt_options.from_utf8 = console_options.from_terminal;
    wm.SetBackend(&qt_windows->MakeBackend(qt_options));
  } else {
    wm.SetBackend(&console_backend);
  }
#elif defined(_WIN32)
  std::unique_ptr<ui::win32::Win32Backend> win32_backend;
  if (windows) {
    ui::win32::Win32Options win32_options;
    win32_options.log = &action_log;
    win32_options.text_code_page = [&] { return text_code_page; };
    win32_backend = std::make_unique<ui::win32::Win32Backend>(win32_options);
    wm.SetBackend(win32_backend.get());
  } else {
    wm.SetBackend(&console_backend);
  }
#else
  wm.SetBackend(&console_backend);
#endif
  // On the console, Ctrl-C and a kill press the copy's abort button (and
  // cancel a question) instead of ending the process where it stands.
  if (wm.backend() == &console_backend) ui::console::Interrupts::Catch();

  // The converters' own lines would garble the pages: they go to the log.
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> null_sink(std::fopen(kNullDevice, "w"),
                                                            &std::fclose);
  std::FILE* diag = action_log.file() ? action_log.file() : null_sink.get();
  copy::AudioSoundConverter converter(audio::AudioDiagnostics{diag, diag});

  app::InstallSettings settings;
  if (!lang.empty()) settings.language = from_utf8(lang);
  if (code_page == 0) {
#if defined(_WIN32)
    settings.use_code_page = [&](int language_code_page) {
      text_code_page = static_cast<unsigned>(language_code_page);
      platform::UseCodePageOnConsole(text_code_page);
    };
#else
    settings.use_code_page = [&](int language_code_page) {
      platform.UseAnsiCodePage(language_code_page);
      if (!dir.empty()) policy.SetDirectory(from_utf8(dir));
    };
#endif
  }
  settings.log = &action_log;
  settings.converter = &converter;
  app::CInstallApp application(fs::path(exe).stem().string(), settings);
  application.InitInstance();
  wm.SetBackend(nullptr);
#if CDSETUP_WITH_QT
  qt_windows.reset();  // the windows, while the log they write to is open
#endif
#if !defined(_WIN32)
  // Only now, after the last registry write: the Wine this starts owns the
  // registry files while it runs. (Windows' own shell shows the links.)
  for (const std::string& line : platform.MakeMenuEntries()) action_log.Write(line);
#endif
  if (!type.empty() && silent && !policy.type_page_seen()) {
    action_log.Write("--type " + type + " ignored: the script does not show the install type page");
  }

  int status = kExitCancelled;
  switch (application.outcome()) {
    case app::Outcome::kInstalled:
      status = kExitInstalled;
      break;
    case app::Outcome::kCopyFailed:
      status = kExitCopyFailed;
      break;
    case app::Outcome::kRegistrationFailed:
      status = kExitRegistrationFailed;
      break;
    default:
      status = kExitCancelled;
  }
  if (status != kExitInstalled) {
    std::fprintf(stderr, "cdsetup: %s\n", to_utf8(application.reason()).c_str());
  }
  action_log.Write("exit status " + std::to_string(status));
  return status;
}
