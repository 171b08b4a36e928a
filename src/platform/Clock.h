#pragma once

#include <cstdint>
#include <functional>

namespace zq {

// Whole seconds of a clock that only moves forward; differences of two
// readings are elapsed times (midnight and clock changes do not matter).
int64_t ClockSeconds();

// Replaces the clock (tests); an empty function restores the real one.
// Returns the previous replacement.
std::function<int64_t()> SetClockHandler(std::function<int64_t()> handler);

}  // namespace zq
