#pragma once

namespace zq {

// Hands the allocator's free memory back to the system.
void TrimFreeMemory();

}  // namespace zq
