#include "platform/Clock.h"

#include <chrono>

namespace zq {
namespace {
std::function<int64_t()>& Handler() {
  static std::function<int64_t()> handler;
  return handler;
}
}  // namespace

int64_t ClockSeconds() {
  if (Handler()) return Handler()();
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

std::function<int64_t()> SetClockHandler(std::function<int64_t()> handler) {
  auto previous = std::move(Handler());
  Handler() = std::move(handler);
  return previous;
}

}  // namespace zq
