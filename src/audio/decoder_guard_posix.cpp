#include <setjmp.h>
#include <signal.h>

#include <mutex>

#include "audio/decoder_guard.h"

namespace cdsetup::audio {
namespace {

thread_local sigjmp_buf* t_escape = nullptr;  // set while this thread decodes
struct sigaction g_previous;

// A division by zero is raised on the thread that made it: the decoding of
// that thread is abandoned; any other thread's fault goes where it went.
void OnArithmeticFault(int signal, siginfo_t* info, void* context) {
  if (t_escape != nullptr) siglongjmp(*t_escape, 1);
  if ((g_previous.sa_flags & SA_SIGINFO) != 0 && g_previous.sa_sigaction != nullptr) {
    g_previous.sa_sigaction(signal, info, context);
    return;
  }
  if ((g_previous.sa_flags & SA_SIGINFO) == 0 && g_previous.sa_handler != SIG_DFL &&
      g_previous.sa_handler != SIG_IGN) {
    g_previous.sa_handler(signal);
    return;
  }
  ::signal(SIGFPE, SIG_DFL);
  ::raise(SIGFPE);
}

}  // namespace

bool RunDecoderGuarded(const std::function<void()>& decode) {
  static std::once_flag installed;
  std::call_once(installed, [] {
    struct sigaction action = {};
    action.sa_sigaction = OnArithmeticFault;
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGFPE, &action, &g_previous);
  });
  sigjmp_buf escape;
  if (sigsetjmp(escape, 1) != 0) {
    t_escape = nullptr;
    return false;
  }
  t_escape = &escape;
  decode();
  t_escape = nullptr;
  return true;
}

}  // namespace cdsetup::audio
