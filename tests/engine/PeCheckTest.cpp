#include <gtest/gtest.h>

#include "engine/PeCheck.h"
#include "engine/SignatureDb.h"
#include "support/PeBuilder.h"
#include "support/SignatureWriter.h"
#include "support/TempDir.h"

namespace zq {
namespace {

TEST(SectionKeyTest, WorkedExample) {
  EXPECT_EQ(SectionKey(3, "abc"), "8258B5AFEEF78D1BDB7BBE6D435ED871");
}

}  // namespace
}  // namespace zq
