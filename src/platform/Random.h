#pragma once

#include <cstdint>

namespace zq {

// A uniformly distributed number in [0, bound); 0 when bound is 0.
uint32_t RandomBelow(uint32_t bound);

}  // namespace zq
