#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "engine/Fingerprint.h"
#include "support/TempDir.h"

namespace zq {
namespace {

// Digests of well-known inputs (RFC 1321 test suite and the MD5 of no data).
TEST(HashBytesTest, GivesUpperCaseHexOfMd5) {
  struct Case {
    std::string data;
    const char* expected;
  } cases[] = {
      {"", "D41D8CD98F00B204E9800998ECF8427E"},
      {"abc", "900150983CD24FB0D6963F7D28E17F72"},
      {"message digest", "F96B697D7CB7938D525A2F31AAF161D0"},
      {std::string(1, '\0'), "93B885ADFE0DA089CDF634904FD59F71"},
  };
  for (const auto& c : cases) EXPECT_EQ(HashBytes(c.data), c.expected) << c.data;
}

TEST(HashBytesTest, DigestBytesBelowSixteenKeepTheirLeadingZero) {
  // MD5("a") = 0CC175B9C0F1B6A831C399E269772661: its first byte is 0x0C.
  EXPECT_EQ(HashBytes("a"), "0CC175B9C0F1B6A831C399E269772661");
}

}  // namespace
}  // namespace zq
