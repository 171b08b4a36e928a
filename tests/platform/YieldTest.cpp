#include <gtest/gtest.h>

#include "platform/Yield.h"

namespace zq {
namespace {

TEST(Yield, CallsTheInstalledHandlerAndRestoresThePrevious) {
  Yield();  // no handler: nothing happens
  int outer = 0, inner = 0;
  const auto none = SetYieldHandler([&] { ++outer; });
  EXPECT_FALSE(none);
  Yield();
  Yield();
  EXPECT_EQ(outer, 2);
  auto previous = SetYieldHandler([&] { ++inner; });
  Yield();
  EXPECT_EQ(inner, 1);
  SetYieldHandler(std::move(previous));
  Yield();
  EXPECT_EQ(outer, 3);
  SetYieldHandler({});
  Yield();
  EXPECT_EQ(outer, 3);
}

TEST(Yield, HandlerMayReplaceItselfWhileRunning) {
  int calls = 0;
  SetYieldHandler([&] {
    ++calls;
    SetYieldHandler({});  // destroys the running handler's stored copy
    ++calls;              // captured state must still be usable
  });
  Yield();
  Yield();
  EXPECT_EQ(calls, 2);
}

}  // namespace
}  // namespace zq
