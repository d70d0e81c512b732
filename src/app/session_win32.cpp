// The session on Windows itself: the game goes into the system, the pages
// are the system's own dialogs or the console, and the script's texts stay
// in their language's code page, which the console is switched to.
#include <memory>

#include "app/session.h"
#include "platform/win32/win32_console.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_text.h"
#include "ui/win32/win32_backend.h"

namespace cdsetup::app {

namespace {

class Win32Session : public Session {
 public:
  explicit Win32Session(const Invocation& invocation)
      : Session(invocation),
        text_code_page_(invocation.code_page > 0 ? static_cast<unsigned>(invocation.code_page)
                                                 : 0) {}
  ~Win32Session() override { windows().SetBackend(nullptr); }

  base::Status Open();

  platform::Platform& platform() override { return *platform_; }
  // The dialogs show the texts in UTF-16 and the console is in their code
  // page: only the program's own UTF-8 texts and the log are converted.
  std::string ToTerminal(std::string_view text) const override { return std::string(text); }
  std::string FromTerminal(std::string_view typed) const override { return std::string(typed); }
  bool TerminalIsUtf8() const override { return false; }
  // The command line is in the system's ANSI code page already.
  std::optional<std::string> NameFromTerminal(std::string_view typed) const override {
    return std::string(typed);
  }
  // The console reads and writes the texts' code page.
  std::string NameToTerminal(std::string_view name) const override {
    return platform::Narrow(platform::Widen(name, 0), text_code_page_);
  }
  std::string NameFromConsole(std::string_view typed) const override {
    return platform::Narrow(platform::Widen(typed, text_code_page_), 0);
  }
  void UseTextCodePage(int code_page) override {
    text_code_page_ = static_cast<unsigned>(code_page);
    platform_->UseTextCodePage(code_page);
    platform::UseCodePageOnConsole(text_code_page_);
  }

 private:
  unsigned text_code_page_;  // 0: the system's ANSI code page
  std::unique_ptr<platform::Win32Platform> platform_;
  std::unique_ptr<ui::win32::Win32Backend> dialogs_;
};

base::Status Win32Session::Open() {
  const bool dialogs =
      (invocation_.ui.empty() || invocation_.ui == "windows") && !invocation_.silent;
  if (base::Status log = OpenLog(); !log.ok()) return log;
  // The installer as if started from the medium: its module file name and
  // current directory there.
  platform::UseAnsiCodePageOnConsole();
  platform::Win32Options options;
  options.medium_dir = invocation_.medium;
  auto opened = platform::Win32Platform::Open(options);
  if (!opened.ok()) {
    return base::Status::Refused("cannot use the medium " + invocation_.medium + ": " +
                                 opened.status().ToString());
  }
  platform_ = std::move(opened).value();
  if (base::Status writable = platform_->RegistryWritable(); !writable.ok()) return writable;
  platform_->UseTextCodePage(static_cast<int>(text_code_page_));
  log().Write("medium " + invocation_.medium + ", name code page " +
              std::to_string(platform_->NameCodePage()) + ", text code page " +
              std::to_string(platform_->TextCodePage()));

  if (text_code_page_) platform::UseCodePageOnConsole(text_code_page_);
  log().SetConverter(
      [this](std::string_view text) { return platform::CodePageToUtf8(text, text_code_page_); });
  log().SetNameConverter([](std::string_view name) { return platform::CodePageToUtf8(name, 0); });
  windows().SetResourceTextDecoder(
      [this](std::string_view utf8) { return platform::Utf8ToCodePage(utf8, text_code_page_); });
  if (dialogs) {
    ui::win32::Win32Options win32_options;
    win32_options.log = &log();
    win32_options.text_code_page = [this] { return text_code_page_; };
    dialogs_ = std::make_unique<ui::win32::Win32Backend>(win32_options);
  }
  Start(dialogs_.get());
  return base::Status::Ok();
}

}  // namespace

const PlatformTraits& ThisPlatform() {
  static const PlatformTraits traits{
      "cdsetup installs the game on this medium; with --check it checks a medium before it is "
      "pressed (on the CD's drive, the one the script's X: stands for). Without options it "
      "behaves as the installer started from its CD.",
      false,
      {"console", "windows"},
      "The interface: windows (the system's dialogs) or console (text pages in the console). "
      "Default: windows. --silent always answers on the console",
      "NUL",
      "Folder of the installation medium, e.g. D:\\ (default: the folder of this program when "
      "install.ini lies beside it, else the current directory)"};
  return traits;
}

void BorrowConsole() {
  platform::BorrowParentConsole();
}

void SettleConsole(const Invocation& invocation) {
  if (invocation.silent || invocation.check) return;
  if (invocation.ui == "console") {
    platform::OpenOwnConsole();
  } else {
    platform::ReleaseBorrowedConsole();
  }
}

std::string ExecutablePath(const char* argv0) {
  auto self = platform::Win32Platform::Open({});
  return self.ok() ? self.value()->GetModuleFileNameA() : std::string(argv0);
}

void ShowStartupFailure(const Invocation& invocation, const std::string& message, int) {
  if (invocation.silent || !(invocation.ui.empty() || invocation.ui == "windows")) return;
  ui::win32::Win32Options options;
  options.text_code_page = [] { return 65001u; };  // the message is UTF-8
  ui::win32::Win32Backend dialogs(options);
  ShowFailureBox(dialogs, message);
}

base::Result<std::unique_ptr<Session>> OpenSession(const Invocation& invocation) {
  auto session = std::make_unique<Win32Session>(invocation);
  if (base::Status opened = session->Open(); !opened.ok()) return opened;
  return std::unique_ptr<Session>(std::move(session));
}

// Windows reads the medium where it is; the check writes only its scratch
// folder for the sounds. The console shows the report's own code page.
base::Result<CheckOutcome> CheckMedium(const Invocation& invocation) {
  platform::Win32Options options;
  options.medium_dir = invocation.medium;
  auto opened = platform::Win32Platform::Open(options);
  if (!opened.ok()) {
    return base::Status::Refused("cannot show the medium: " + opened.status().ToString());
  }
  return CheckMediumOn(*opened.value(), invocation.code_page,
                       [](std::string_view line) { return std::string(line); });
}

}  // namespace cdsetup::app
