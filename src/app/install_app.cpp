#include "app/install_app.h"

#include <algorithm>
#include <filesystem>

#include "base/ascii.h"
#include "script/install_script.h"
#include "script/language_resolution.h"

namespace cdsetup::app {

namespace {

bool KnowsLanguage(Session& session, const std::string& language) {
  platform::Platform& platform = session.platform();
  std::string dir = platform.GetModuleFileNameA();
  dir.resize(std::min(dir.size(), dir.rfind('\\')));
  const script::InstallScript script(platform, dir + "\\install.ini");
  for (const std::string& listed : script::ListedLanguages(script)) {
    if (base::EqualsIgnoreCaseAscii(listed, language)) return true;
  }
  for (const platform::ProfileEntry& section :
       platform.GetPrivateProfileSectionNamesA(script.path())) {
    if (base::EqualsIgnoreCaseAscii(section.name, language)) return true;
  }
  return false;
}

}  // namespace

bool CInstallApp::InitInstance() {
  CInstallDlg dialog(windows(), session_.platform(), settings_);
  m_pMainWnd = &dialog;
  const int result = dialog.DoModal();
  m_pMainWnd = nullptr;
  outcome_ = dialog.outcome();
  reason_ = dialog.reason();
  if (result < 0) {
    outcome_ = Outcome::kCancelled;
    reason_ = "the main dialog could not be shown";
  } else if (outcome_ == Outcome::kNotRun) {
    outcome_ = Outcome::kCancelled;
    reason_ = "the installer was left without installing";
  }
  return false;
}

RunResult RunInstaller(Session& session) {
  const Invocation& invocation = session.invocation();
  InstallSettings settings;
  if (!invocation.language.empty()) settings.language = session.FromTerminal(invocation.language);
  settings.log = &session.log();
  settings.converter = &session.converter();
  settings.show_folders = session.CanShowFolders();
  if (invocation.code_page == 0) {
    settings.use_code_page = [&session](int code_page) { session.UseTextCodePage(code_page); };
  }
  if (!invocation.directory.empty() && !session.NameFromTerminal(invocation.directory)) {
    return {Outcome::kBadCommandLine, "--dir " + invocation.directory +
                                          ": this system's code page " +
                                          std::to_string(session.platform().NameCodePage()) +
                                          " cannot spell it in a file name"};
  }
  // A silent run cannot ask: a language the script neither lists nor has a
  // section for would install with empty texts into an empty path.
  if (invocation.silent && settings.language && !KnowsLanguage(session, *settings.language)) {
    return {Outcome::kBadCommandLine,
            "--lang " + invocation.language + ": the script has no such language"};
  }
  CInstallApp application(std::filesystem::path(invocation.executable).stem().string(), session,
                          settings);
  // Ignored: the application object ends the process once it returns anyway.
  (void)application.InitInstance();
  session.Finish(application.outcome() == Outcome::kInstalled);
  const framework::SilentPolicy* policy = session.policy();
  if (!invocation.install_type.empty() && policy && !policy->type_page_seen()) {
    session.log().Write("--type " + invocation.install_type +
                        " ignored: the script does not show the install type page");
  }
  return {application.outcome(), session.ToTerminal(application.reason())};
}

}  // namespace cdsetup::app
