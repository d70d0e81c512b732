#include "support/pseudo_terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

namespace cdsetup::testing {

std::vector<std::size_t> RewrittenLineWidths(std::string_view output) {
  std::vector<std::size_t> widths;
  for (std::size_t at = 0; (at = output.find('\r', at)) != std::string_view::npos; ++at) {
    const std::size_t end = std::min(output.find_first_of("\r\n", at + 1), output.size());
    std::size_t chars = 0;
    for (std::size_t i = at + 1; i < end; ++i) {
      chars += (static_cast<unsigned char>(output[i]) & 0xC0) != 0x80;
    }
    widths.push_back(chars);
  }
  return widths;
}

PseudoTerminal::PseudoTerminal(int columns, int rows) {
  winsize size{};
  size.ws_col = static_cast<unsigned short>(columns);
  size.ws_row = static_cast<unsigned short>(rows);
  if (::openpty(&master_, &slave_, nullptr, nullptr, &size) != 0) {
    master_ = slave_ = -1;
    return;
  }
  in_ = ::fdopen(::dup(slave_), "r");
  out_ = ::fdopen(::dup(slave_), "w");
  reader_ = std::thread([this] { Read(); });
}

PseudoTerminal::~PseudoTerminal() {
  if (child_ > 0) {
    ::kill(child_, SIGKILL);
    ::waitpid(child_, nullptr, 0);
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  if (reader_.joinable()) reader_.join();
  if (in_) std::fclose(in_);
  if (out_) std::fclose(out_);
  if (slave_ >= 0) ::close(slave_);
  if (master_ >= 0) ::close(master_);
}

void PseudoTerminal::Read() {
  char buffer[4096];
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stop_) return;
    }
    pollfd p{master_, POLLIN, 0};
    if (::poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN)) continue;
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n <= 0) continue;
    std::lock_guard<std::mutex> lock(mutex_);
    output_.append(buffer, static_cast<std::size_t>(n));
    // Answers go in order, each to a text printed after the one before.
    while (!responses_.empty()) {
      const std::size_t at = output_.find(responses_.front().text, answered_up_to_);
      if (at == std::string::npos) break;
      answered_up_to_ = at + responses_.front().text.size();
      const std::string& keys = responses_.front().keys;
      if (::write(master_, keys.data(), keys.size()) < 0) break;
      responses_.erase(responses_.begin());
    }
    printed_.notify_all();
  }
}

void PseudoTerminal::Type(std::string_view keys) {
  if (::write(master_, keys.data(), keys.size()) < 0) return;
}

void PseudoTerminal::Answer(std::string text, std::string keys) {
  std::lock_guard<std::mutex> lock(mutex_);
  responses_.push_back({std::move(text), std::move(keys)});
}

bool PseudoTerminal::WaitFor(std::string_view text, int timeout_ms) {
  std::unique_lock<std::mutex> lock(mutex_);
  return printed_.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                           [&] { return output_.find(text) != std::string::npos; });
}

std::string PseudoTerminal::Output() {
  std::lock_guard<std::mutex> lock(mutex_);
  return output_;
}

void PseudoTerminal::Resize(int columns, int rows) {
  winsize size{};
  size.ws_col = static_cast<unsigned short>(columns);
  size.ws_row = static_cast<unsigned short>(rows);
  ::ioctl(master_, TIOCSWINSZ, &size);
}

void PseudoTerminal::Spawn(const std::string& command, const std::string& dir) {
  child_ = ::fork();
  if (child_ != 0) return;
  ::setsid();
  ::close(master_);
  ::ioctl(slave_, TIOCSCTTY, 0);
  ::dup2(slave_, 0);
  ::dup2(slave_, 1);
  ::dup2(slave_, 2);
  if (::chdir(dir.c_str()) != 0) ::_exit(127);
  // exec: the signals the test sends reach the program, not a shell.
  const std::string line = "exec " + command;
  ::execl("/bin/sh", "sh", "-c", line.c_str(), static_cast<char*>(nullptr));
  ::_exit(127);
}

int PseudoTerminal::Wait(int timeout_ms) {
  if (child_ <= 0) return -1;
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  int status = 0;
  while (::waitpid(child_, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > until) return -1;
    ::usleep(10000);
  }
  child_ = -1;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

void PseudoTerminal::Signal(int signal) const {
  if (child_ > 0) ::kill(child_, signal);
}

}  // namespace cdsetup::testing
