#include "platform/prefix/prefix_layout.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <vector>

#include "platform/prefix/host_file.h"
#include "platform/prefix/registry_text.h"
#include "platform/prefix/utf16.h"
#include "platform/prefix/wineserver_probe.h"

namespace cdsetup::platform {
namespace {

bool IsDir(const std::string& p) {
  struct stat st;
  return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsEmptyDir(const std::string& p) {
  DIR* d = ::opendir(p.c_str());
  if (d == nullptr) return false;
  bool empty = true;
  while (dirent* e = ::readdir(d)) {
    std::string n = e->d_name;
    if (n != "." && n != "..") {
      empty = false;
      break;
    }
  }
  ::closedir(d);
  return empty;
}

base::Status MakeDirs(const std::string& path) {
  std::string cur;
  std::size_t pos = 0;
  while (pos != std::string::npos) {
    std::size_t next = path.find('/', pos + 1);
    cur = path.substr(0, next);
    pos = next;
    if (cur.empty()) continue;
    if (::mkdir(cur.c_str(), 0777) != 0 && errno != EEXIST) {
      return base::Status::FromErrno(errno, "create " + cur);
    }
  }
  return base::Status::Ok();
}

base::Status Link(const std::string& target, const std::string& link) {
  struct stat st;
  if (::lstat(link.c_str(), &st) == 0) return base::Status::Ok();
  if (::symlink(target.c_str(), link.c_str()) != 0) {
    return base::Status::FromErrno(errno, "link " + link);
  }
  return base::Status::Ok();
}

// Registry files are ASCII: a user name outside it travels in escapes.
std::string RegEscape(const std::string& s) {
  return EscapeRegistryText(Utf8ToUtf16(s), '"');
}

std::string RegHeader(const char* relative_to) {
  return std::string("WINE REGISTRY Version 2\n;; All keys relative to ") + relative_to +
         "\n\n#arch=win64\n";
}

std::string UserReg(const std::string& user) {
  std::string home = "C:\\users\\" + user;
  std::string roaming = home + "\\AppData\\Roaming";
  std::string start = roaming + "\\Microsoft\\Windows\\Start Menu";
  std::string t = std::to_string(static_cast<long long>(std::time(nullptr)));
  std::string out = RegHeader("REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000");
  out += "\n[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\Shell Folders] " +
         t + "\n";
  out += "\"AppData\"=\"" + RegEscape(roaming) + "\"\n";
  out += "\"Desktop\"=\"" + RegEscape(home + "\\Desktop") + "\"\n";
  out += "\"Personal\"=\"" + RegEscape(home + "\\Documents") + "\"\n";
  out += "\"Programs\"=\"" + RegEscape(ProgramsFolderFor(user)) + "\"\n";
  out += "\"Start Menu\"=\"" + RegEscape(start) + "\"\n";
  out += "\"Startup\"=\"" + RegEscape(start + "\\Programs\\Startup") + "\"\n";
  return out;
}

}  // namespace

std::string ProgramsFolderFor(const std::string& user) {
  return "C:\\users\\" + user + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs";
}

namespace {

constexpr const char* kRegistryFiles[] = {"system.reg", "user.reg", "userdef.reg"};

// What a prefix needs before the installer can use it, made where it is
// missing; `made` gathers what was.
base::Status CompleteLayout(const std::string& prefix_dir, const std::string& user,
                            std::vector<std::string>* made) {
  const std::string c = prefix_dir + "/drive_c";
  const std::string home = c + "/users/" + user;
  // Desktop and Documents are left for Wine, which links them to the
  // host's own folders when it first runs in the prefix.
  for (const std::string& d :
       {c + "/windows/system32", c + "/Program Files", c + "/users/Public",
        home + "/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Startup"}) {
    if (IsDir(d)) continue;
    if (base::Status s = MakeDirs(d); !s.ok()) return s;
    made->push_back(d.substr(prefix_dir.size() + 1));
  }
  const std::string contents[] = {RegHeader("REGISTRY\\\\Machine"), UserReg(user),
                                  RegHeader("REGISTRY\\\\User\\\\.Default")};
  for (std::size_t i = 0; i < std::size(kRegistryFiles); ++i) {
    const std::string file = prefix_dir + "/" + kRegistryFiles[i];
    RemoveStaleTemporariesOf(file);
    struct stat st;
    if (::lstat(file.c_str(), &st) == 0) continue;
    if (base::Status s = WriteHostFileAtomically(file, contents[i]); !s.ok()) return s;
    made->push_back(kRegistryFiles[i]);
  }
  base::Status s = MakeDirs(prefix_dir + "/dosdevices");
  if (s.ok()) s = Link("../drive_c", prefix_dir + "/dosdevices/c:");
  if (s.ok()) s = Link("/", prefix_dir + "/dosdevices/z:");
  return s;
}

// Folders of earlier runs that were killed while they made a prefix.
void RemoveAbandonedNewPrefixes(const std::string& parent, const std::string& stem) {
  DIR* listing = ::opendir(parent.c_str());
  if (listing == nullptr) return;
  std::vector<std::string> abandoned;
  // Another installer may be making one this minute; Wine takes well under
  // an hour.
  const std::time_t stale = std::time(nullptr) - 60 * 60;
  while (const dirent* entry = ::readdir(listing)) {
    const std::string name = entry->d_name;
    struct stat st;
    if (name.size() == stem.size() + 6 && name.compare(0, stem.size(), stem) == 0 &&
        ::lstat((parent + "/" + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
        st.st_mtime < stale) {
      abandoned.push_back(parent + "/" + name);
    }
  }
  ::closedir(listing);
  for (const std::string& dir : abandoned) RemoveHostTree(dir);
}

// Wine's own prefix in `dir` (an empty folder): wineboot, then the wait for
// the server it leaves running, which holds the folder by its identity.
bool BootWithWine(ProcessRunner& runner, const std::string& dir) {
  const std::vector<std::pair<std::string, std::string>> env = {{"WINEPREFIX", dir}};
  base::Result<int> booted =
      runner.Run({"wine", "wineboot", "-i"}, env, Wait::kYes, Output::kAside);
  if (FindWineServer(dir, DefaultWineServerSearch(dir))) {
    base::IgnoreResult(runner.Run({"wineserver", "-w"}, env, Wait::kYes, Output::kAside).status(),
                       "the prefix is looked at next");
  }
  struct stat st;
  return booted.ok() && *booted == 0 && IsDir(dir + "/drive_c") &&
         ::lstat((dir + "/system.reg").c_str(), &st) == 0;
}

base::Result<std::string> MakePrefix(const std::string& prefix_dir, const std::string& user,
                                     const PrefixMaking& making) {
  std::string path = prefix_dir;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const std::size_t slash = path.rfind('/');
  const std::string parent = slash == std::string::npos ? "."
                             : slash == 0               ? "/"
                                                        : path.substr(0, slash);
  const std::string stem = "." + path.substr(slash + 1) + ".cdsetup-new.";
  if (base::Status s = MakeDirs(parent); !s.ok()) return s;
  RemoveAbandonedNewPrefixes(parent, stem);
  std::string templ = parent + "/" + stem + "XXXXXX";
  if (::mkdtemp(templ.data()) == nullptr) {
    return base::Status::FromErrno(errno, "create a folder for the prefix in " + parent);
  }
  const std::string temp = templ;
  auto say = [&](const std::string& line) {
    if (making.progress) making.progress(line);
  };

  std::string how = "made a minimal prefix (Wine is not installed)";
  if (making.runner != nullptr && making.runner->HasProgram("wine")) {
    say("Wine is making the prefix " + path + "; this takes a while");
    const auto begun = std::chrono::steady_clock::now();
    if (BootWithWine(*making.runner, temp)) {
      const auto seconds =
          std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - begun)
              .count();
      how = "Wine made the prefix in " + std::to_string(seconds) + " s";
    } else {
      RemoveHostTree(temp);
      if (::mkdir(temp.c_str(), 0700) != 0) {
        return base::Status::FromErrno(errno, "create " + temp);
      }
      how = "made a minimal prefix (Wine could not make one)";
    }
  }
  std::vector<std::string> made;
  base::Status s = CompleteLayout(temp, user, &made);
  if (s.ok() && IsDir(path) && ::rmdir(path.c_str()) != 0) {
    s = base::Status::FromErrno(errno, "replace the empty folder " + path);
  }
  if (s.ok() && ::rename(temp.c_str(), path.c_str()) != 0) {
    s = base::Status::FromErrno(errno, "move the new prefix to " + path);
  }
  if (!s.ok()) {
    RemoveHostTree(temp);
    return s;
  }
  return how + ": " + path;
}

}  // namespace

base::Result<std::string> EnsurePrefix(const std::string& prefix_dir, const std::string& user,
                                       const PrefixMaking& making) {
  if (!IsDir(prefix_dir) || IsEmptyDir(prefix_dir)) return MakePrefix(prefix_dir, user, making);
  if (!IsDir(prefix_dir + "/drive_c")) {
    return base::Status::Refused(prefix_dir + " is not a Wine prefix (it has no drive_c)");
  }
  std::vector<std::string> made;
  if (base::Status s = CompleteLayout(prefix_dir, user, &made); !s.ok()) return s;
  if (made.empty()) return std::string();
  std::string line = "completed the prefix " + prefix_dir + " with";
  for (std::size_t i = 0; i < made.size(); ++i) line += (i == 0 ? " " : ", ") + made[i];
  return line;
}

}  // namespace cdsetup::platform
