#pragma once

#include <string>

namespace zq {

// A small, harmless PE image: valid headers and one data section holding a
// marker text, no code. The shipped database lists its section.
std::string BuildTestSample();

}  // namespace zq
