#include "platform/prefix/wineserver_probe.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/prefix/host_file.h"

namespace cdsetup::platform {
namespace {

// Debian's record holds one folder name; anything longer is not one.
constexpr std::uint64_t kMaxRecordedName = 4096;

// A live server holds a write lock on its lock file for as long as it runs; a
// test lock shows whether another process holds it, without taking it.
bool LockHeld(const std::string& lock_path) {
  int fd = ::open(lock_path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) fd = ::open(lock_path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return true;
  struct flock fl = {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  bool held = true;
  if (::fcntl(fd, F_GETLK, &fl) == 0) held = fl.l_type != F_UNLCK;
  ::close(fd);
  return held;
}

bool ServesFrom(const std::string& dir) {
  struct stat st;
  return ::lstat((dir + "/socket").c_str(), &st) == 0 && LockHeld(dir + "/lock");
}

// The folder Debian's Wine recorded in the prefix: a name relative to the
// temporary directory of whoever started the server, or a full path.
std::vector<std::string> RecordedRoots(const std::string& prefix_dir) {
  base::Result<std::string> text = ReadHostFile(prefix_dir + "/wineserver", kMaxRecordedName);
  if (!text.ok()) return {};
  std::string name = *text;
  while (!name.empty() && (name.back() == '\n' || name.back() == '\r' || name.back() == ' ')) {
    name.pop_back();
  }
  if (name.empty() || name.find('\0') != std::string::npos) return {};
  if (name.front() == '/') return {name};
  // The server may have been started with another $TMPDIR than ours.
  std::vector<std::string> roots;
  const char* tmpdir = std::getenv("TMPDIR");
  if (tmpdir && *tmpdir && std::string(tmpdir) != "/tmp") roots.push_back(tmpdir + ("/" + name));
  roots.push_back("/tmp/" + name);
  return roots;
}

// A process whose working directory is the prefix's server folder is its
// server. The folder is reached through the process's own cwd link, so that
// one in another mount namespace is examined where it really is.
std::optional<std::string> FindInProcesses(const std::string& proc_dir, const std::string& name) {
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(proc_dir.c_str()), &::closedir);
  if (!dir) return std::nullopt;
  while (const dirent* entry = ::readdir(dir.get())) {
    if (entry->d_name[0] < '1' || entry->d_name[0] > '9') continue;
    const std::string cwd = proc_dir + "/" + entry->d_name + "/cwd";
    char target[4096];
    ssize_t n = ::readlink(cwd.c_str(), target, sizeof target - 1);
    if (n <= 0) continue;  // gone, or another user's
    std::string path(target, static_cast<std::size_t>(n));
    std::size_t slash = path.rfind('/');
    if (path.compare(slash == std::string::npos ? 0 : slash + 1, std::string::npos, name) != 0) {
      continue;
    }
    if (ServesFrom(cwd)) return path;
  }
  return std::nullopt;
}

}  // namespace

WineServerSearch DefaultWineServerSearch(const std::string& prefix_dir) {
  const std::string uid = std::to_string(::getuid());
  WineServerSearch search;
  search.roots = {"/tmp/.wine-" + uid, "/run/user/" + uid + "/wine"};
  for (std::string& root : RecordedRoots(prefix_dir)) search.roots.push_back(std::move(root));
  search.proc_dir = "/proc";
  return search;
}

std::string WineServerFolderName(const std::string& prefix_dir) {
  struct stat st;
  if (::stat(prefix_dir.c_str(), &st) != 0) return "";
  char name[64];
  std::snprintf(name, sizeof name, "server-%llx-%llx", static_cast<unsigned long long>(st.st_dev),
                static_cast<unsigned long long>(st.st_ino));
  return name;
}

std::string WineServerDirectory(const std::string& prefix_dir, const std::string& server_root) {
  std::string name = WineServerFolderName(prefix_dir);
  return name.empty() ? "" : server_root + "/" + name;
}

std::optional<std::string> FindWineServer(const std::string& prefix_dir,
                                          const WineServerSearch& search) {
  const std::string name = WineServerFolderName(prefix_dir);
  if (name.empty()) return std::nullopt;
  for (const std::string& root : search.roots) {
    const std::string dir = root + "/" + name;
    if (ServesFrom(dir)) return dir;
  }
  if (search.proc_dir.empty()) return std::nullopt;
  return FindInProcesses(search.proc_dir, name);
}

}  // namespace cdsetup::platform
