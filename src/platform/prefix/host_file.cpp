#include "platform/prefix/host_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/prefix/unique_fd.h"

namespace cdsetup::platform {
namespace {

std::string DirectoryOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

base::Status CopyByLoop(int in, int out, const std::string& to) {
  std::vector<char> buffer(1 << 20);
  for (;;) {
    ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return base::Status::FromErrno(errno, "read");
    }
    if (n == 0) return base::Status::Ok();
    base::Status s = WriteAllToHostFile(out, buffer.data(), static_cast<std::size_t>(n), to);
    if (!s.ok()) return s;
  }
}

// The kernel copies without a trip through our memory where it can; other
// file systems and devices refuse, and a plain loop with a large buffer takes over.
base::Status CopyData(int in, int out, std::uint64_t size, const std::string& to) {
  constexpr std::size_t kChunk = std::size_t{1} << 30;
  std::uint64_t done = 0;
  for (;;) {
    // Once the size measured at the start is copied the file is done, as a
    // copy program takes it; a short answer before that means "go on".
    const std::uint64_t left = size - std::min(size, done);
    if (done > 0 && left == 0) return base::Status::Ok();
    std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left + 1, kChunk));
    ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, want, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (done == 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS ||
                        errno == EOPNOTSUPP || errno == EBADF || errno == EPERM)) {
        return CopyByLoop(in, out, to);
      }
      return base::Status::FromErrno(errno, "write " + to);
    }
    // Some file systems answer 0 at once when they cannot copy this way.
    if (n == 0) return done == 0 && size > 0 ? CopyByLoop(in, out, to) : base::Status::Ok();
    done += static_cast<std::uint64_t>(n);
  }
}

}  // namespace

base::Status WriteAllToHostFile(int fd, const char* data, std::size_t size,
                                const std::string& path) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return base::Status::FromErrno(errno, "write " + path);
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return base::Status::Ok();
}

base::Result<int> OpenRegularHostFile(const std::string& path) {
  // Without O_NONBLOCK, opening a pipe waits for its writer.
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) return base::Status::FromErrno(errno, "open " + path);
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) return base::Status::FromErrno(errno, "stat " + path);
  if (S_ISDIR(st.st_mode)) return base::Status::Refused("is a directory: " + path);
  if (!S_ISREG(st.st_mode)) return base::Status::Refused("not a regular file: " + path);
  const int flags = ::fcntl(fd.get(), F_GETFL);
  if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
    return base::Status::FromErrno(errno, "open " + path);
  }
  return fd.Release();
}

std::string RealHostPath(const std::string& path) {
  std::unique_ptr<char, decltype(&free)> real(::realpath(path.c_str(), nullptr), &free);
  return real ? std::string(real.get()) : std::string();
}

bool IsHostPathBelow(std::string_view path, std::string_view folder) {
  if (folder == "/") return !path.empty() && path[0] == '/';
  return path.substr(0, folder.size()) == folder &&
         (path.size() == folder.size() || path[folder.size()] == '/');
}

base::Result<std::string> ReadHostFile(const std::string& path, std::uint64_t max_size) {
  base::Result<int> opened = OpenRegularHostFile(path);
  if (!opened.ok()) return opened.status();
  UniqueFd fd(*opened);
  return ReadOpenHostFile(fd.get(), path, max_size);
}

base::Result<std::string> ReadOpenHostFile(int fd, const std::string& path,
                                           std::uint64_t max_size) {
  struct stat st;
  if (::fstat(fd, &st) != 0) return base::Status::FromErrno(errno, "stat " + path);
  if (S_ISDIR(st.st_mode)) return base::Status::Refused("is a directory: " + path);
  if (static_cast<std::uint64_t>(st.st_size) > max_size) {
    return base::Status::Refused("file too large: " + path);
  }
  std::string out;
  out.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return base::Status::FromErrno(errno, "read " + path);
    }
    if (n == 0) break;
    if (out.size() + static_cast<std::size_t>(n) > max_size) {
      return base::Status::Refused("file too large: " + path);
    }
    out.append(buffer, static_cast<std::size_t>(n));
  }
  return out;
}

base::Status WriteHostFileAtomically(const std::string& path, std::string_view content) {
  std::string dir = DirectoryOf(path);
  std::string name = path.substr(path.rfind('/') + 1);
  std::string tmp = dir + "/." + name + ".XXXXXX";
  std::vector<char> templ(tmp.begin(), tmp.end());
  templ.push_back('\0');
  UniqueFd fd(::mkstemp(templ.data()));
  if (fd.get() < 0) return base::Status::FromErrno(errno, "create a temporary file in " + dir);
  tmp.assign(templ.data());

  mode_t mode = 0644;
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) mode = st.st_mode & 07777;
  base::Status s = WriteAllToHostFile(fd.get(), content.data(), content.size(), tmp);
  if (s.ok() && ::fchmod(fd.get(), mode) != 0) s = base::Status::FromErrno(errno, "chmod " + tmp);
  if (s.ok() && ::fsync(fd.get()) != 0) s = base::Status::FromErrno(errno, "flush " + tmp);
  if (s.ok() && ::close(fd.Release()) != 0) s = base::Status::FromErrno(errno, "close " + tmp);
  if (s.ok() && ::rename(tmp.c_str(), path.c_str()) != 0) {
    s = base::Status::FromErrno(errno, "replace " + path);
  }
  if (!s.ok()) ::unlink(tmp.c_str());
  return s;
}

void RemoveStaleTemporariesOf(const std::string& path) {
  const std::string dir = DirectoryOf(path);
  // mkstemp's names: "." + the file's name + "." + six characters.
  const std::string stem = "." + path.substr(path.rfind('/') + 1) + ".";
  DIR* listing = ::opendir(dir.c_str());
  if (listing == nullptr) return;
  const std::time_t stale = std::time(nullptr) - 10 * 60;
  while (const dirent* entry = ::readdir(listing)) {
    const std::string_view name = entry->d_name;
    if (name.size() != stem.size() + 6 || name.substr(0, stem.size()) != stem) continue;
    const std::string temp = dir + "/" + std::string(name);
    struct stat st;
    if (::lstat(temp.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_mtime < stale) {
      ::unlink(temp.c_str());
    }
  }
  ::closedir(listing);
}

base::Status WriteHostFileFrom(const std::string& to, bool replace, unsigned mode,
                               const std::function<base::Status(int fd)>& fill) {
  // A file there is replaced only once the copy is whole: it is written
  // beside it and renamed over it, so a failure or a kill in between leaves
  // the old file. A new one is written in place (a failure removes it).
  std::string written = to;
  int out_fd = -1;
  if (replace) {
    std::string templ = DirectoryOf(to) + "/." + to.substr(to.rfind('/') + 1) + ".XXXXXX";
    out_fd = ::mkostemp(templ.data(), O_CLOEXEC);
    if (out_fd < 0) return base::Status::FromErrno(errno, "create a temporary file for " + to);
    written = templ;
    ::fchmod(out_fd, mode & 0777);
  } else {
    out_fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode & 0777);
    if (out_fd < 0) return base::Status::FromErrno(errno, "create " + to);
  }
  UniqueFd out(out_fd);
  base::Status s = fill(out.get());
  if (s.ok() && ::close(out.Release()) != 0) s = base::Status::FromErrno(errno, "close " + to);
  // rename() replaces the old file whatever its mode (a file from the CD
  // arrives read-only, and the installer overwrites what it put there).
  if (s.ok() && replace && ::rename(written.c_str(), to.c_str()) != 0) {
    s = base::Status::FromErrno(errno, "replace " + to);
  }
  if (!s.ok()) ::unlink(written.c_str());
  return s;
}

void RemoveHostTree(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
}

base::Status CopyHostFile(const std::string& from, const std::string& to, bool replace) {
  base::Result<int> opened = OpenRegularHostFile(from);
  if (!opened.ok()) return opened.status();
  UniqueFd in(*opened);
  struct stat st;
  if (::fstat(in.get(), &st) != 0) return base::Status::FromErrno(errno, "stat " + from);
  return WriteHostFileFrom(to, replace, st.st_mode, [&](int out) {
    return CopyData(in.get(), out, static_cast<std::uint64_t>(st.st_size), to);
  });
}

}  // namespace cdsetup::platform
