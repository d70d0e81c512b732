#include "platform/prefix/process_runner.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace cdsetup::platform {

bool PosixProcessRunner::HasProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  std::size_t pos = 0;
  while (pos <= dirs.size()) {
    std::size_t end = dirs.find(':', pos);
    if (end == std::string::npos) end = dirs.size();
    std::string candidate = end > pos ? dirs.substr(pos, end - pos) : std::string(".");
    candidate += '/';
    candidate += name;
    struct stat st;
    if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        ::access(candidate.c_str(), X_OK) == 0) {
      return true;
    }
    pos = end + 1;
  }
  return false;
}

void PosixProcessRunner::ReapFinished() {
  for (std::size_t i = 0; i < running_.size();) {
    int status = 0;
    if (::waitpid(running_[i], &status, WNOHANG) != 0) {
      running_.erase(running_.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      ++i;
    }
  }
}

base::Result<int> PosixProcessRunner::Run(
    const std::vector<std::string>& argv,
    const std::vector<std::pair<std::string, std::string>>& env, Wait wait, Output output) {
  ReapFinished();
  if (argv.empty() || argv[0].empty()) return base::Status::Refused("no program to start");

  std::vector<std::string> env_strings;
  for (char** e = environ; e && *e; ++e) {
    std::string entry = *e;
    bool replaced = false;
    for (const auto& [name, value] : env) {
      if (entry.size() > name.size() && entry[name.size()] == '=' &&
          entry.compare(0, name.size(), name) == 0) {
        replaced = true;
      }
    }
    if (!replaced) env_strings.push_back(std::move(entry));
  }
  for (const auto& [name, value] : env) {
    std::string entry = name;
    entry += '=';
    entry += value;
    env_strings.push_back(std::move(entry));
  }

  std::vector<char*> args, envp;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  for (const std::string& e : env_strings) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  posix_spawnattr_t attributes;
  ::posix_spawnattr_init(&attributes);
  // A program nobody waits for gets neither our streams nor our terminal:
  // it would hold a pipe our caller reads to its end, and our Ctrl-C.
  const bool detached = wait == Wait::kNo;
  if (detached) {
    ::posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  }
  if (output == Output::kAside || detached) {
    if (aside_fd_ >= 0) {
      ::posix_spawn_file_actions_adddup2(&actions, aside_fd_, STDOUT_FILENO);
    } else {
      ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    }
    ::posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  }
  pid_t pid = 0;
  int err = ::posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), envp.data());
  ::posix_spawnattr_destroy(&attributes);
  ::posix_spawn_file_actions_destroy(&actions);
  if (err != 0) return base::Status::FromErrno(err, "start " + argv[0]);
  if (wait == Wait::kNo) {
    running_.push_back(pid);
    return 0;
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return base::Status::FromErrno(errno, "wait for " + argv[0]);
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return status;
}

}  // namespace cdsetup::platform
