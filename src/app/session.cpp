#include "app/session.h"

#include <filesystem>

#include "base/ascii.h"
#include "base/limits.h"
#include "check/medium_check.h"
#include "framework/app.h"
#include "resources/resource_ids.h"
#include "ui/console/console_backend.h"
#include "ui/console/terminal.h"

namespace cdsetup::app {

namespace fs = std::filesystem;

namespace {

// The script at the medium's root, in any letter case, as a regular file of
// a script's size.
base::Status FindScript(const std::string& medium) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(medium, ec)) {
    if (!base::EqualsIgnoreCaseAscii(entry.path().filename().string(), "install.ini")) continue;
    const std::string path = entry.path().string();
    // A pipe or a device would hang or never end the reading.
    if (!entry.is_regular_file(ec)) return base::Status::Refused(path + " is not a regular file");
    const std::uintmax_t size = entry.file_size(ec);
    if (ec || size > base::kMaxScriptFile) {
      return base::Status::Refused(path + " is too large to be an install script (at most " +
                                   std::to_string(base::kMaxScriptFile >> 20) + " MiB)");
    }
    return base::Status::Ok();
  }
  return base::Status::NotFound("the medium " + medium + " holds no install.ini");
}

}  // namespace

base::Status LocateMedium(Invocation& invocation) {
  std::string& medium = invocation.medium;
  const PlatformTraits& traits = ThisPlatform();
  if (medium.empty()) {
    // As when started from the CD; else as the installer looks for its CD.
    std::error_code ec;
    std::vector<std::string> places = {fs::path(invocation.executable).parent_path().string(),
                                       fs::current_path(ec).string()};
    if (traits.mounted_cds != nullptr) {
      for (std::string& cd : traits.mounted_cds()) places.push_back(std::move(cd));
    }
    for (const std::string& place : places) {
      if (!place.empty() && FindScript(place).ok()) {
        medium = place;
        return base::Status::Ok();
      }
    }
    medium = places[1];  // the current directory says what is missing
  }
  std::error_code ec;  // a path that cannot be examined is no medium either
  if (fs::is_directory(medium, ec)) return FindScript(medium);
  const bool file = fs::is_regular_file(medium, ec) || fs::is_block_file(medium, ec);
  if (file && traits.check_image != nullptr) return traits.check_image(medium);
  return base::Status::NotFound("no medium at " + medium);
}

base::Result<CheckOutcome> CheckMediumOn(
    platform::Platform& platform, int code_page,
    const std::function<std::string(std::string_view)>& to_terminal) {
  auto report = check::CheckMedium(platform, check::CheckOptions{code_page, ""});
  if (!report.ok()) return report.status();
  CheckOutcome outcome;
  for (const std::string& line : report->Lines()) outcome.lines.push_back(to_terminal(line));
  outcome.summary = report->Summary();
  outcome.clean = report->clean();
  return outcome;
}

Session::Session(const Invocation& invocation)
    : invocation_(invocation), null_sink_(nullptr, &std::fclose) {}

Session::~Session() {
  windows_.SetBackend(nullptr);
}

base::Status Session::OpenLog() {
  if (invocation_.log_path.empty()) return base::Status::Ok();
  return log_.Open(invocation_.log_path)
      .WithContext("cannot write the log " + invocation_.log_path);
}

void ShowFailureBox(framework::UiBackend& windows, const std::string& message) {
  // The terminal's line is a clause after "cdsetup: "; the box, a sentence.
  std::string sentence = message;
  if (!sentence.empty()) sentence[0] = base::ToUpperAscii(sentence[0]);
  if (!sentence.empty() && sentence.back() != '.' && sentence.back() != ')') sentence += '.';
  framework::WindowManager manager;
  manager.SetBackend(&windows);
  using namespace framework;  // the box's flags, which Windows' headers make macros
  DesktopMessageBox(manager, sentence, "cdsetup", MB_OK | MB_ICONERROR,
                    resources::IDP_STARTUP_FAILED);
  manager.SetBackend(nullptr);
}

void Session::Start(framework::UiBackend* windows) {
  windows_.SetDiagnostics([this](const std::string& line) { log_.Write("framework: " + line); });

  framework::SilentAnswers answers;
  answers.accept_licence = invocation_.accept_licence;
  if (!invocation_.install_type.empty()) answers.install_type = invocation_.install_type;
  // One the system cannot spell is refused before the first page.
  if (!invocation_.directory.empty()) {
    answers.directory = NameFromTerminal(invocation_.directory).value_or(std::string());
  }
  if (invocation_.silent) policy_ = std::make_unique<framework::SilentPolicy>(answers);

  // The converters' own lines would garble the pages: they go to the log.
  null_sink_.reset(std::fopen(ThisPlatform().null_device, "w"));
  std::FILE* diag = log_.file() ? log_.file() : null_sink_.get();
  converter_ = std::make_unique<copy::AudioSoundConverter>(
      audio::AudioDiagnostics{diag, diag}, log_.file()
                                               ? copy::AudioSoundConverter::Reports::kKept
                                               : copy::AudioSoundConverter::Reports::kNotKept);

  if (windows) {
    windows_.SetBackend(windows);
    return;
  }
  ui::console::ConsoleOptions options;
  options.in = console_in_;
  options.out = console_out_;
  options.log = &log_;
  options.to_terminal = [this](std::string_view text) { return ToTerminal(text); };
  options.from_terminal = [this](std::string_view typed) { return FromTerminal(typed); };
  options.name_to_terminal = [this](std::string_view name) { return NameToTerminal(name); };
  // A letter the system cannot spell becomes "?", which no name holds: the
  // path is refused rather than another one made.
  options.name_from_terminal = [this](std::string_view typed) { return NameFromConsole(typed); };
  options.from_utf8 = [this](std::string_view utf8) { return windows_.ResourceText(utf8); };
  options.terminal_utf8 = TerminalIsUtf8();
  options.policy = policy_.get();
  console_ = std::make_unique<ui::console::ConsoleBackend>(options);
  windows_.SetBackend(console_.get());
  // Ctrl-C and a kill press the copy's abort button (and cancel a
  // question) instead of ending the process where it stands.
  ui::console::Interrupts::Catch();
}

}  // namespace cdsetup::app
