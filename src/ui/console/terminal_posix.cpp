// The terminal on a POSIX system: termios, the window size and signals.
#include <poll.h>
#include <stdio_ext.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "ui/console/terminal.h"
#include "ui/console/terminal_system.h"

namespace cdsetup::ui::console {

namespace system {

namespace {
void OnSignal(int signal) {
  Interrupted(signal != SIGINT);
}
}  // namespace

bool IsTerminal(std::FILE* stream) {
  return stream && ::isatty(::fileno(stream));
}

int Columns(std::FILE* out) {
  winsize size{};
  return ::ioctl(::fileno(out), TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

int Rows(std::FILE* out) {
  winsize size{};
  return ::ioctl(::fileno(out), TIOCGWINSZ, &size) == 0 ? size.ws_row : 0;
}

void DropPendingInput(std::FILE* in) {
  ::tcflush(::fileno(in), TCIFLUSH);
  __fpurge(in);
}

void CatchInterrupts() {
  // No SA_RESTART: a read waiting for a line returns, so the page can end.
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
}

}  // namespace system

struct Terminal::KeyMode::Saved {
  termios settings;
};

Terminal::KeyMode::KeyMode(const Terminal& terminal) : terminal_(terminal) {
  if (!terminal_.InputIsTerminal()) return;
  const int fd = ::fileno(terminal_.in());
  termios settings{};
  if (::tcgetattr(fd, &settings) != 0) return;
  saved_ = std::make_unique<Saved>(Saved{settings});
  // Keys arrive as typed and unechoed; Ctrl-C still interrupts.
  settings.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  settings.c_cc[VMIN] = 0;
  settings.c_cc[VTIME] = 0;
  ::tcsetattr(fd, TCSANOW, &settings);
}

Terminal::KeyMode::~KeyMode() {
  if (!saved_) return;
  ::tcsetattr(::fileno(terminal_.in()), TCSANOW, &saved_->settings);
  terminal_.DropPendingInput();
}

int Terminal::KeyMode::ReadKey() {
  if (!saved_) return -1;
  unsigned char key = 0;
  return ::read(::fileno(terminal_.in()), &key, 1) == 1 ? key : -1;
}

}  // namespace cdsetup::ui::console

namespace cdsetup::ui::console {

int Terminal::KeyMode::WaitKey(int timeout_ms) {
  if (!saved_) return -1;
  pollfd p{::fileno(terminal_.in()), POLLIN, 0};
  // An interrupt ends the wait (the handlers do not restart calls).
  if (Interrupts::Waiting() || ::poll(&p, 1, timeout_ms) <= 0) return -1;
  unsigned char key = 0;
  return ::read(p.fd, &key, 1) == 1 ? key : -1;
}

}  // namespace cdsetup::ui::console
