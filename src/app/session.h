// What one run of the installer works with: the platform, the window manager
// and the interface it shows the pages in, the action log, the conversions
// between the script's code page and the UTF-8 of the terminal and the log,
// and the unattended answers. OpenSession builds it for this system (one
// definition per platform, session_posix.cpp or session_win32.cpp); a test
// builds its own over a fake platform.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/file_log.h"
#include "base/result.h"
#include "copy/audio_sound_converter.h"
#include "framework/silent_policy.h"
#include "framework/window_manager.h"
#include "platform/platform.h"

namespace cdsetup::ui::console {
class ConsoleBackend;
}

namespace cdsetup::app {

/// What the command line asks of a run; texts in UTF-8, as typed.
struct Invocation {
  std::string medium;  // "": beside the program when install.ini is there, else here
  std::string prefix;  // the Wine prefix (POSIX); "": $WINEPREFIX, else ~/.wine
  std::string ui;      // "console", "qt" or "windows"; "": this system's default
  bool silent = false;
  std::string language;      // --lang
  std::string install_type;  // --type
  std::string directory;     // --dir
  bool accept_licence = false;
  std::string log_path;
  int code_page = 0;  // --codepage; 0: the chosen language's
  bool check = false;
  bool keep_cd_drive = true;  // --keep-cd-drive (POSIX): the prefix keeps the medium as its CD
  std::string executable;     // this program's own path
  std::string argv0;
};

/// How this build of the program presents itself on the command line.
struct PlatformTraits {
  const char* about;                    // the first paragraph of --help
  bool has_prefix;                      // --prefix is an option
  std::vector<std::string> interfaces;  // what --ui takes
  const char* ui_help;
  const char* null_device;  // where output nobody reads goes
  const char* medium_help;  // what --medium takes
  /// The roots of the mounted CDs and DVDs, where the medium is looked for
  /// when none is named; null where the installer looks through its drives.
  std::vector<std::string> (*mounted_cds)() = nullptr;
  /// Checks a medium given as a file (a CD image or a CD device): Ok when
  /// it holds the install script. Null where only folders are media.
  base::Status (*check_image)(const std::string& path) = nullptr;
};
const PlatformTraits& ThisPlatform();

/// Before the command line is read: where the program has no console of its
/// own (a Windows program of the GUI subsystem), the standard streams that
/// have no handle write to the console of the program that started it, so
/// that --help, --check, --silent and errors are seen there.
void BorrowConsole();
/// Once the command line is read: the console interface opens a console of
/// its own when the program has none; a run that shows windows lets go of a
/// borrowed one, so that closing that window does not end the install.
void SettleConsole(const Invocation& invocation);

/// This program's own file, as the system names it; `argv0` when it cannot tell.
std::string ExecutablePath(const char* argv0);

/// Settles `invocation.medium` (the folder or image named, else the program's
/// folder when the script lies beside it, else the current directory when it
/// does, else the first mounted CD that holds one, else the current
/// directory). Refused when it is no medium or holds no install.ini.
base::Status LocateMedium(Invocation& invocation);

class Session {
 public:
  explicit Session(const Invocation& invocation);
  virtual ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  virtual platform::Platform& platform() = 0;
  /// Script text (in the current text code page) as the terminal and the
  /// command line have it, and back: UTF-8 on POSIX; on Windows the console
  /// is switched to the text's own code page.
  virtual std::string ToTerminal(std::string_view text) const = 0;
  virtual std::string FromTerminal(std::string_view typed) const = 0;
  /// True when the terminal shows UTF-8; false: the texts' code page.
  virtual bool TerminalIsUtf8() const { return true; }
  /// A path as the command line gave it, as a name of the platform (in the
  /// name code page); nullopt when that code page cannot spell it.
  virtual std::optional<std::string> NameFromTerminal(std::string_view typed) const = 0;
  virtual std::string NameToTerminal(std::string_view name) const = 0;
  /// A path typed into the console interface as a name, a letter the
  /// system cannot spell as "?".
  virtual std::string NameFromConsole(std::string_view typed) const = 0;
  /// The chosen language's texts are in `code_page` (not called with a
  /// --codepage): the conversions and the interface follow it from now on.
  virtual void UseTextCodePage(int code_page) = 0;
  /// After the run, once the registry is written: what the platform still
  /// does (Wine's menu entries), logged.
  virtual void Finish(bool /*installed*/) {}
  /// Whether a folder window would be seen: not in a silent run.
  virtual bool CanShowFolders() const { return !invocation_.silent; }

  framework::WindowManager& windows() { return windows_; }
  FileLog& log() { return log_; }
  copy::SoundConverter& converter() { return *converter_; }
  /// The answers of a --silent run; null when a person answers.
  framework::SilentPolicy* policy() { return policy_.get(); }
  const Invocation& invocation() const { return invocation_; }

 protected:
  /// Opens the --log file; refused with the reason when it cannot be written.
  base::Status OpenLog();
  /// Settles what the log, the answers and the converters need once the
  /// platform is open; then the interface: `windows` when given, else the
  /// console (which then also catches Ctrl-C and kills).
  void Start(framework::UiBackend* windows);

  const Invocation invocation_;
  /// Where the console interface reads and prints; a test's own streams.
  std::FILE* console_in_ = stdin;
  std::FILE* console_out_ = stdout;

 private:
  FileLog log_;
  framework::WindowManager windows_;
  std::unique_ptr<framework::SilentPolicy> policy_;
  std::unique_ptr<ui::console::ConsoleBackend> console_;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> null_sink_;
  std::unique_ptr<copy::AudioSoundConverter> converter_;
};

/// The session of this system for `invocation`, its interface shown. A
/// failure names its reason; kBusy when Wine owns the prefix's registry.
base::Result<std::unique_ptr<Session>> OpenSession(const Invocation& invocation);

/// Shows `message` (UTF-8), a failure that ends the run before its first
/// page, in a message box when the run's interface is windows: started
/// from the desktop, the person would see nothing else. Returns at once
/// for the console and --silent, whose terminal has the line already.
/// Where the windows cannot open, ends the process with `status`.
void ShowStartupFailure(const Invocation& invocation, const std::string& message, int status);

/// The box of ShowStartupFailure, on an interface already open.
void ShowFailureBox(framework::UiBackend& windows, const std::string& message);

/// What --check found, in UTF-8 for the terminal.
struct CheckOutcome {
  std::vector<std::string> lines;
  std::string summary;
  bool clean = true;
};

/// Reads the medium as the installer does, through a platform that writes
/// nothing of the user's.
base::Result<CheckOutcome> CheckMedium(const Invocation& invocation);

/// The check itself, on the platform the system's CheckMedium opened; its
/// lines through `to_terminal`.
base::Result<CheckOutcome> CheckMediumOn(
    platform::Platform& platform, int code_page,
    const std::function<std::string(std::string_view)>& to_terminal);

}  // namespace cdsetup::app
