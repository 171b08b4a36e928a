#include "platform/Random.h"

#include <random>

namespace zq {

uint32_t RandomBelow(uint32_t bound) {
  if (bound == 0) return 0;
  // Seeded once from the system's entropy: re-seeding from the clock would
  // repeat letters drawn within one clock tick.
  static std::mt19937 generator{std::random_device{}()};
  return std::uniform_int_distribution<uint32_t>(0, bound - 1)(generator);
}

}  // namespace zq
