#include "support/wine_session.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "support/scoped_temp_dir.h"

namespace cdsetup::testing {
namespace {

std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// Found here by Wine's own rules, not by the code under test, so that the
// cleaning does not depend on what it checks.
std::string ServerFolderName(const std::string& prefix) {
  struct stat st;
  if (::stat(prefix.c_str(), &st) != 0) return "";
  char name[64];
  std::snprintf(name, sizeof name, "server-%llx-%llx", static_cast<unsigned long long>(st.st_dev),
                static_cast<unsigned long long>(st.st_ino));
  return name;
}

std::string TempBase() {
  const char* tmpdir = std::getenv("TMPDIR");
  return tmpdir && *tmpdir ? tmpdir : "/tmp";
}

}  // namespace

bool WineInstalled() {
  return std::system("command -v wine >/dev/null 2>&1 && command -v wineserver >/dev/null 2>&1") ==
         0;
}

std::string MakeLocale(const std::string& dir, const std::string& language) {
  MakeDirs(dir);
  const std::string name = language + ".UTF-8";
  const std::string made = dir + "/" + name;
  // localedef answers 1 for mere warnings about the source; the files tell.
  if (!Exists(made + "/LC_CTYPE")) {
    (void)std::system(
        ("localedef -i " + language + " -f UTF-8 " + Quoted(made) + " >/dev/null 2>&1").c_str());
  }
  if (!Exists(made + "/LC_CTYPE")) return "";
  return "LOCPATH=" + Quoted(dir) + " LANG=" + name + " LC_ALL=" + name;
}

std::string PolishLocale(const std::string& dir) {
  return MakeLocale(dir, "pl_PL");
}

WineSession::WineSession(std::string prefix_dir, std::string env)
    : prefix_(std::move(prefix_dir)), env_(std::move(env)) {}

WineSession::~WineSession() {
  End();
}

CommandResult WineSession::Run(const std::string& command, const std::string& env) const {
  ScopedTempDir scratch;
  // Exported, so that every command of a list ("a; b") has them.
  const std::string line =
      "unset DISPLAY WAYLAND_DISPLAY; export WINEPREFIX=" + Quoted(prefix_) +
      " WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d' " + env_ + " " +
      env + "; { " + command + "; } </dev/null >" + Quoted(scratch / "out") + " 2>" +
      Quoted(scratch / "err");
  CommandResult result;
  const int raw = std::system(line.c_str());
  result.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.out = ReadFile(scratch / "out");
  result.err = ReadFile(scratch / "err");
  return result;
}

void WineSession::End() {
  const std::string name = ServerFolderName(prefix_);
  if (name.empty()) return;  // no prefix: nothing can serve it
  (void)Run("wineserver -k; wineserver -w");
  std::error_code ec;
  const std::string uid = std::to_string(::getuid());
  for (const std::string& root : {"/tmp/.wine-" + uid, "/run/user/" + uid + "/wine"}) {
    std::filesystem::remove_all(root + "/" + name, ec);
  }
  // Even asking a server to end makes Debian's Wine record a fresh folder,
  // which holds this prefix's server alone; so it is read only now.
  const std::string recorded = ReadFile(prefix_ + "/wineserver");
  if (!recorded.empty() && recorded.find('/') == std::string::npos) {
    for (const std::string& base : {TempBase(), std::string("/tmp")}) {
      std::filesystem::remove_all(base + "/" + recorded + "/" + name, ec);
      std::filesystem::remove(base + "/" + recorded, ec);  // only when empty
    }
  }
}

}  // namespace cdsetup::testing
