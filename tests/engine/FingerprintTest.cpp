#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "engine/Fingerprint.h"
#include "platform/FileIo.h"
#include "platform/Md5.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace zq {
namespace {

std::string Pattern(size_t size) {
  std::string data(size, '\0');
  for (size_t i = 0; i < size; ++i) data[i] = static_cast<char>((i * 131 + i / 251) & 0xFF);
  return data;
}

std::string OnePieceText(std::string_view data) {
  const auto digest = Md5Of(data);
  return FingerprintText(digest->data(), digest->size());
}

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
      // Its first digest byte is 0x0C: bytes below 16 keep their leading zero.
      {"a", "0CC175B9C0F1B6A831C399E269772661"},
  };
  for (const auto& c : cases) EXPECT_EQ(HashBytes(c.data), c.expected) << c.data;
}

// Sizes around the 32768-byte block: blocking must not change the digest.
TEST(HashBytesTest, BlockBoundariesGiveTheDigestOfTheWhole) {
  for (size_t size : {32767u, 32768u, 32769u, 65536u, 65537u, 100000u}) {
    const std::string data = Pattern(size);
    const std::string text = HashBytes(data);
    EXPECT_EQ(text, OnePieceText(data)) << size;
    EXPECT_EQ(text.size(), 32u);
    EXPECT_EQ(text.find_first_not_of("0123456789ABCDEF"), std::string::npos) << text;
  }
}

TEST(HashFileTest, EqualsTheFingerprintOfTheContent) {
  test::TempDir dir;
  for (size_t size : {0u, 1u, 32768u, 32769u, 200000u}) {
    const std::string data = Pattern(size);
    EXPECT_EQ(HashFile(dir.Write("f" + std::to_string(size), data)), HashBytes(data)) << size;
  }
  EXPECT_EQ(HashFile(dir.Write("empty", "")), "D41D8CD98F00B204E9800998ECF8427E");
}

TEST(HashFileTest, GivesNothingForWhatIsNotARegularFile) {
  test::TempDir dir;
  ::mkdir(dir.Path("folder").c_str(), 0755);
  ASSERT_EQ(::mkfifo(dir.Path("fifo").c_str(), 0644), 0);
  ASSERT_EQ(::symlink(dir.Path("folder").c_str(), dir.Path("link-to-folder").c_str()), 0);
  dir.Write("file", "abc");
  ASSERT_EQ(::symlink(dir.Path("file").c_str(), dir.Path("link-to-file").c_str()), 0);

  EXPECT_EQ(HashFile(dir.Path("missing")), "");
  EXPECT_EQ(HashFile(dir.Path("folder")), "");
  EXPECT_EQ(HashFile(dir.Path("link-to-folder")), "");
  EXPECT_EQ(HashFile(dir.Path("fifo")), "");  // would block if it were opened
  EXPECT_EQ(HashFile("/dev/zero"), "");       // would never end
  EXPECT_EQ(HashFile(""), "");
  EXPECT_EQ(HashFile(dir.Path("link-to-file")), "900150983CD24FB0D6963F7D28E17F72");
}

TEST(HashFileTest, GivesNothingForAFileThatCannotBeRead) {
  test::TempDir dir;
  const std::string path = dir.Write("locked", "secret");
  ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(path.c_str(), 0), 0);
  // The file is there and regular; only reading it is refused.
  auto hashAsUser = [&] { return IsRegularFile(path) && HashFile(path).empty() ? 0 : 1; };
  if (::geteuid() != 0) {
    EXPECT_EQ(hashAsUser(), 0);
    return;
  }
  // Root reads whatever the mode: ask as a user who owns none of the files.
  const auto result = test::RunUnprivileged(hashAsUser);
  ASSERT_TRUE(result.has_value()) << "could not drop to an unprivileged user";
  EXPECT_EQ(*result, 0);
}

TEST(HashFileTest, GivesNothingWhenAReadFails) {
  // A regular file whose first read fails (address 0 is never mapped), even for root.
  EXPECT_EQ(HashFile("/proc/self/mem"), "");
}

}  // namespace
}  // namespace zq
