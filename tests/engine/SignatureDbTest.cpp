#include <gtest/gtest.h>

#include "engine/SignatureDb.h"
#include "support/SignatureWriter.h"
#include "support/TempDir.h"

namespace zq {
namespace {}  // namespace
}  // namespace zq
