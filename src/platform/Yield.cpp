#include "platform/Yield.h"

#include <utility>

namespace zq {
namespace {
std::function<void()>& Handler() {
  static std::function<void()> handler;
  return handler;
}
}  // namespace

void Yield() {
  // Copy first: the handler may replace itself while it runs.
  if (auto handler = Handler()) handler();
}

std::function<void()> SetYieldHandler(std::function<void()> handler) {
  return std::exchange(Handler(), std::move(handler));
}

}  // namespace zq
