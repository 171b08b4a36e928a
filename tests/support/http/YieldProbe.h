#pragma once

#include <chrono>
#include <functional>
#include <utility>

#include "platform/Yield.h"

namespace zq::test {

// Installs a Yield handler for the life of the object that counts the yields,
// keeps the longest gap between two of them, and runs an optional action.
class YieldProbe {
 public:
  using Clock = std::chrono::steady_clock;
  explicit YieldProbe(std::function<void()> action = {}) : action_(std::move(action)) {
    last_ = Clock::now();
    previous_ = SetYieldHandler([this] {
      const auto now = Clock::now();
      if (now - last_ > longestGap_) longestGap_ = now - last_;
      last_ = now;
      ++count_;
      if (action_) action_();
    });
  }
  ~YieldProbe() { SetYieldHandler(previous_); }
  YieldProbe(const YieldProbe&) = delete;
  YieldProbe& operator=(const YieldProbe&) = delete;

  int count() const { return count_; }
  // Longest stretch without a yield, including the one up to now.
  std::chrono::milliseconds longestGap() const {
    const auto tail = Clock::now() - last_;
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::max(longestGap_, tail));
  }

 private:
  std::function<void()> action_;
  std::function<void()> previous_;
  Clock::time_point last_;
  Clock::duration longestGap_{};
  int count_ = 0;
};

}  // namespace zq::test
