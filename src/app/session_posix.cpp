// The session on a POSIX host: the game goes into a Wine prefix, the pages
// are Qt windows (a module loaded only when windows are shown) or the
// console, and the terminal, the command line and the log are UTF-8.
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/exit_status.h"
#include "app/session.h"
#include "base/limits.h"
#include "check/scratch_dir.h"
#include "platform/prefix/code_page.h"
#include "platform/prefix/drive_info.h"
#include "platform/prefix/host_file.h"
#include "platform/prefix/prefix_platform.h"
#include "ui/qt/qt_windows.h"

namespace cdsetup::app {

namespace fs = std::filesystem;

namespace {

// The mounted CD and DVD file systems, in the mount table's order.
std::vector<std::string> MountedCds() {
  base::Result<std::string> table = platform::ReadHostFile("/proc/self/mountinfo", 16u << 20);
  return table.ok() ? platform::CdRootsInMountTable(*table) : std::vector<std::string>();
}

// A CD image or drive is a medium when its root holds the install script.
base::Status CheckImage(const std::string& path) {
  auto disc = platform::DiscImage::Open(path);
  if (!disc.ok())
    return base::Status::NotFound("no medium at " + path + ": " + disc.status().message());
  auto script = disc.value()->Find({"install.ini"});
  if (!script.ok() || script->is_directory) {
    return base::Status::NotFound("the CD image " + path + " holds no install.ini");
  }
  if (script->size > base::kMaxScriptFile) {
    return base::Status::Refused(path + ": its install.ini is too large to be an install script");
  }
  return base::Status::Ok();
}

// Windows when there is somewhere to show them.
bool DisplayAvailable() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

std::string DefaultPrefix() {
  const char* env = std::getenv("WINEPREFIX");
  const char* home = std::getenv("HOME");
  return env && *env ? env : std::string(home ? home : ".") + "/.wine";
}

class PosixSession : public Session {
 public:
  explicit PosixSession(const Invocation& invocation) : Session(invocation) {}
  ~PosixSession() override {
    // The windows go while the log they write to is open.
    windows().SetBackend(nullptr);
    qt_.reset();
  }

  base::Status Open();

  platform::Platform& platform() override { return *platform_; }
  std::string ToTerminal(std::string_view text) const override {
    return platform_->text_code_page().ToUtf8(text);
  }
  std::string FromTerminal(std::string_view typed) const override {
    return platform_->text_code_page().FromUtf8(typed);
  }
  std::string NameToTerminal(std::string_view name) const override {
    return platform_->name_code_page().ToUtf8(name);
  }
  std::string NameFromConsole(std::string_view typed) const override {
    return platform_->name_code_page().FromUtf8(typed);
  }
  std::optional<std::string> NameFromTerminal(std::string_view typed) const override {
    const platform::CodePage& names = platform_->name_code_page();
    std::string name = names.FromUtf8(typed);
    if (names.ToUtf8(name) != typed) return std::nullopt;
    return name;
  }
  void UseTextCodePage(int code_page) override { platform_->UseTextCodePage(code_page); }
  bool CanShowFolders() const override { return Session::CanShowFolders() && DisplayAvailable(); }
  void Finish(bool installed) override {
    if (installed && invocation_.keep_cd_drive) KeepCdDrive();
    // Only now, after the last registry write: the Wine this starts owns
    // the registry files while it runs.
    for (const std::string& line : platform_->MakeMenuEntries()) log().Write(line);
    // The server those runs started would refuse the next install for a
    // few seconds more: it ends before we do.
    if (std::string waited = platform_->WaitForOwnWine(); !waited.empty()) log().Write(waited);
  }

 private:
  /// The Qt windows, when they are to be shown and can be.
  base::Status OpenWindows();
  /// Leaves the medium in the prefix as its CD drive, or says how to.
  void KeepCdDrive();

  std::unique_ptr<ui::qt::QtWindows> qt_;
  std::unique_ptr<platform::PrefixPlatform> platform_;
};

// Whether the run's pages are Qt windows.
bool WantsWindows(const Invocation& invocation) {
  const std::string ui = !invocation.ui.empty()
                             ? invocation.ui
                             : (CDSETUP_WITH_QT && DisplayAvailable() ? "qt" : "console");
  return ui == "qt" && !invocation.silent;
}

void PosixSession::KeepCdDrive() {
  // The server of the programs that ran at the end owns the registry
  // files until it ends: the drive's type would be lost under it.
  if (std::string waited = platform_->WaitForOwnWine(); !waited.empty()) log().Write(waited);
  base::Result<std::string> kept = platform_->KeepMediumAsCdDrive();
  std::string line;
  if (kept.ok()) {
    line = *kept;
  } else if (kept.status().kind() == base::Status::Kind::kUnsupported) {
    // Wine shows folders as drives, not images: the person mounts it.
    const char letter = static_cast<char>(std::tolower(platform_->drives().medium().value_or('d')));
    std::error_code ec;
    const std::string image = fs::absolute(invocation_.medium, ec).string();
    const std::string link =
        fs::absolute(platform_->prefix_dir(), ec).string() + "/dosdevices/" + letter + ":";
    line =
        std::string("the game may ask for its CD: mount the image (udisksctl loop-setup -r -f '") +
        image + "') and link the folder it is mounted on as drive " +
        static_cast<char>(std::toupper(letter)) + ": (ln -s FOLDER '" + link + "')";
  } else {
    line = "the prefix keeps no CD drive: " + kept.status().message();
  }
  log().Write(line);
  std::fprintf(stderr, "cdsetup: %s\n", line.c_str());
}

base::Status PosixSession::OpenWindows() {
  const bool chosen = !invocation_.ui.empty();
  if (!WantsWindows(invocation_)) return base::Status::Ok();
  // A display that cannot be opened ends the run here, with status 4,
  // before anything is written.
  auto opened =
      ui::qt::OpenQtWindows(invocation_.executable, invocation_.argv0.c_str(), kExitUsage);
  if (opened.ok()) {
    qt_ = std::move(opened).value();
    return base::Status::Ok();
  }
  if (chosen) return base::Status::Refused(opened.status().message() + "; use --ui console");
  // Windows were only the default: the console serves as well.
  std::fprintf(stderr, "cdsetup: %s; using the console\n", opened.status().message().c_str());
  return base::Status::Ok();
}

base::Status PosixSession::Open() {
  if (base::Status windows = OpenWindows(); !windows.ok()) return windows;
  // Wine takes WINEPREFIX only as an absolute path: a relative --prefix
  // would have it refuse to make the prefix and its menu entries.
  std::error_code ec;
  const std::string prefix =
      fs::absolute(invocation_.prefix.empty() ? DefaultPrefix() : invocation_.prefix, ec).string();
  if (base::Status log = OpenLog(); !log.ok()) return log;

  platform::PrefixOptions options;
  options.prefix_dir = prefix;
  options.medium_dir = invocation_.medium;
  options.program_name = fs::path(invocation_.executable).filename().string();
  options.made_by_wine = true;
  if (std::FILE* file = log().file()) options.aside_fd = ::fileno(file);
  // Wine takes seconds to make a prefix: the person sees why nothing moves.
  options.progress = [this](const std::string& line) {
    std::fprintf(stderr, "cdsetup: %s\n", line.c_str());
    log().Write(line);
  };
  auto opened = platform::PrefixPlatform::Open(options);
  if (!opened.ok()) {
    return base::Status::Refused("cannot use the prefix " + prefix + ": " +
                                 opened.status().ToString());
  }
  platform_ = std::move(opened).value();
  // A wineserver that owns the registry stops the run before any page: the
  // registration could not be made, though the prefix itself is fine.
  if (base::Status writable = platform_->RegistryWritable(); !writable.ok()) return writable;
  // --codepage sets the texts' code page; names keep the system's.
  if (invocation_.code_page > 0) platform_->UseTextCodePage(invocation_.code_page);
  log().Write("prefix " + prefix + ", medium " + invocation_.medium + ", name code page " +
              std::to_string(platform_->NameCodePage()) + ", text code page " +
              std::to_string(platform_->TextCodePage()));
  if (!platform_->prefix_note().empty()) log().Write(platform_->prefix_note());

  framework::UiBackend* shown = nullptr;
  if (qt_) {
    ui::qt::QtOptions qt_options;
    qt_options.log = &log();
    qt_options.to_utf8 = [this](std::string_view text) { return ToTerminal(text); };
    qt_options.from_utf8 = [this](std::string_view typed) { return FromTerminal(typed); };
    qt_options.name_to_utf8 = [this](std::string_view name) { return NameToTerminal(name); };
    qt_options.name_from_utf8 = [this](std::string_view typed) { return NameFromConsole(typed); };
    shown = &qt_->MakeBackend(qt_options);
  }
  log().SetConverter([this](std::string_view text) { return ToTerminal(text); });
  log().SetNameConverter([this](std::string_view name) { return NameToTerminal(name); });
  // The texts of templates are UTF-8; windows hold the script's code page.
  windows().SetResourceTextDecoder([this](std::string_view utf8) { return FromTerminal(utf8); });
  Start(shown);
  return base::Status::Ok();
}

}  // namespace

const PlatformTraits& ThisPlatform() {
  static const PlatformTraits traits{
      "cdsetup installs the game on this medium into a Wine prefix, so that it can be played "
      "with Wine; with --check it checks a medium before it is pressed. Without options it "
      "behaves as the installer started from its CD.",
      true,
      CDSETUP_WITH_QT ? std::vector<std::string>{"console", "qt"}
                      : std::vector<std::string>{"console"},
      CDSETUP_WITH_QT
          ? "The interface: qt (windows) or console (text pages on the terminal). Default: qt "
            "when DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM is set and cdsetup-qt.so beside "
            "the program can be loaded, else console. --silent always answers on the console"
          : "The interface: console (text pages on the terminal), the only one this build has",
      "/dev/null",
      "The installation medium: a folder, a CD image (.iso, or a .cue sheet with its .bin "
      "track) or a CD drive (/dev/sr0). Default: the folder of this program when install.ini "
      "lies beside it, else the current directory when it does, else the first mounted CD or "
      "DVD that holds one",
      &MountedCds,
      &CheckImage};
  return traits;
}

// A program on Linux has its terminal, or no use for one.
void BorrowConsole() {}
void SettleConsole(const Invocation&) {}

std::string ExecutablePath(const char* argv0) {
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string(argv0) : self.string();
}

void ShowStartupFailure(const Invocation& invocation, const std::string& message, int status) {
  if (!WantsWindows(invocation)) return;
  auto opened = ui::qt::OpenQtWindows(invocation.executable, invocation.argv0.c_str(), status);
  if (!opened.ok()) return;   // no module: the terminal's line is all there is
  ui::qt::QtOptions options;  // the message is UTF-8 already
  options.to_utf8 = [](std::string_view text) { return std::string(text); };
  options.from_utf8 = [](std::string_view text) { return std::string(text); };
  ShowFailureBox((*opened)->MakeBackend(options), message);
}

base::Result<std::unique_ptr<Session>> OpenSession(const Invocation& invocation) {
  auto session = std::make_unique<PosixSession>(invocation);
  if (base::Status opened = session->Open(); !opened.ok()) return opened;
  return std::unique_ptr<Session>(std::move(session));
}

// The check opens no prefix of the user's: a scratch one, removed after it,
// shows the medium as the CD. The report is given in UTF-8.
base::Result<CheckOutcome> CheckMedium(const Invocation& invocation) {
  auto scratch = check::ScratchDir::Make();
  if (!scratch.ok()) return scratch.status();
  platform::PrefixOptions options;
  options.prefix_dir = scratch->File("prefix");
  options.medium_dir = invocation.medium;
  options.program_name = fs::path(invocation.executable).filename().string();
  auto opened = platform::PrefixPlatform::Open(options);
  if (!opened.ok()) {
    return base::Status::Refused("cannot show the medium: " + opened.status().ToString());
  }
  const platform::CodePage cp(opened.value()->NameCodePage());
  return CheckMediumOn(*opened.value(), invocation.code_page,
                       [&cp](std::string_view line) { return cp.ToUtf8(line); });
}

}  // namespace cdsetup::app
