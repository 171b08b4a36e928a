#include "platform/Interrupt.h"

#include <signal.h>

#include <atomic>

namespace zq {
namespace {
std::atomic<bool> caught{false};

void OnInterrupt(int) {
  caught.store(true);
}
}  // namespace

void CatchFirstInterrupt() {
  // A job started with interrupts ignored (in the background) keeps ignoring them.
  struct sigaction current {};
  if (::sigaction(SIGINT, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) return;
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND | SA_RESTART;
  ::sigaction(SIGINT, &action, nullptr);
  // An interrupt that arrived while it was blocked is taken now, not lost.
  sigset_t interrupt;
  sigemptyset(&interrupt);
  sigaddset(&interrupt, SIGINT);
  ::sigprocmask(SIG_UNBLOCK, &interrupt, nullptr);
}

bool InterruptCaught() {
  return caught.load();
}

}  // namespace zq
