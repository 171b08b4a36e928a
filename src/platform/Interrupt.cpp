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
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND | SA_RESTART;
  ::sigaction(SIGINT, &action, nullptr);
}

bool InterruptCaught() {
  return caught.load();
}

}  // namespace zq
