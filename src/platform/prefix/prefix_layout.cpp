#include "platform/prefix/prefix_layout.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "platform/prefix/host_file.h"
#include "platform/prefix/registry_text.h"
#include "platform/prefix/utf16.h"

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

base::Status EnsurePrefix(const std::string& prefix_dir, const std::string& user) {
  bool fresh = !IsDir(prefix_dir) || IsEmptyDir(prefix_dir);
  if (!fresh && !IsDir(prefix_dir + "/drive_c")) {
    return base::Status::Refused(prefix_dir + " is not a Wine prefix (it has no drive_c)");
  }
  if (fresh) {
    const std::string c = prefix_dir + "/drive_c";
    const std::string home = c + "/users/" + user;
    // Desktop and Documents are left for Wine, which links them to the
    // host's own folders when it first runs in the prefix.
    for (const std::string& d :
         {c + "/windows/system32", c + "/Program Files", c + "/users/Public",
          home + "/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Startup"}) {
      base::Status s = MakeDirs(d);
      if (!s.ok()) return s;
    }
    base::Status s =
        WriteHostFileAtomically(prefix_dir + "/system.reg", RegHeader("REGISTRY\\\\Machine"));
    if (s.ok()) s = WriteHostFileAtomically(prefix_dir + "/user.reg", UserReg(user));
    if (s.ok()) {
      s = WriteHostFileAtomically(prefix_dir + "/userdef.reg",
                                  RegHeader("REGISTRY\\\\User\\\\.Default"));
    }
    if (!s.ok()) return s;
  }
  base::Status s = MakeDirs(prefix_dir + "/dosdevices");
  if (s.ok()) s = Link("../drive_c", prefix_dir + "/dosdevices/c:");
  if (s.ok()) s = Link("/", prefix_dir + "/dosdevices/z:");
  return s;
}

}  // namespace cdsetup::platform
