#include "platform/MemoryTrim.h"

#include <malloc.h>

namespace zq {

void TrimFreeMemory() {
  ::malloc_trim(0);
}

}  // namespace zq
