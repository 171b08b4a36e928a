#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <string>

#include "platform/BinaryFile.h"
#include "platform/Md5.h"
#include "support/TempDir.h"

namespace zq {
namespace {

TEST(BinaryFileTest, ReadsAtOffsetsAndShortAtTheEnd) {
  test::TempDir dir;
  const auto file = BinaryFile::Open(dir.Write("f", "0123456789"));
  ASSERT_TRUE(file);
  EXPECT_EQ(file->Size(), 10u);

  struct Case {
    uint64_t offset;
    size_t size;
    std::string expected;
  } cases[] = {
      {0, 4, "0123"}, {6, 10, "6789"}, {10, 4, ""}, {1ull << 40, 4, ""}, {UINT64_MAX - 1, 4, ""},
  };
  for (const auto& c : cases) {
    std::string buffer(c.size, '\0');
    const auto got = file->ReadAt(c.offset, buffer.data(), buffer.size());
    ASSERT_TRUE(got) << c.offset;
    EXPECT_EQ(buffer.substr(0, *got), c.expected) << c.offset;
  }
}

TEST(BinaryFileTest, SequentialReadsAdvance) {
  test::TempDir dir;
  auto file = BinaryFile::Open(dir.Write("f", "abcdefg"));
  ASSERT_TRUE(file);
  char buffer[4];
  EXPECT_EQ(file->Read(buffer, 4), 4u);
  EXPECT_EQ(std::string(buffer, 4), "abcd");
  EXPECT_EQ(file->Read(buffer, 4), 3u);
  EXPECT_EQ(std::string(buffer, 3), "efg");
  EXPECT_EQ(file->Read(buffer, 4), 0u);
}

TEST(BinaryFileTest, RefusesWhatIsNotARegularFileWithoutBlocking) {
  test::TempDir dir;
  ::mkdir(dir.Path("folder").c_str(), 0755);
  ASSERT_EQ(::mkfifo(dir.Path("fifo").c_str(), 0644), 0);
  // A FIFO without a writer would block an ordinary open forever.
  EXPECT_FALSE(BinaryFile::Open(dir.Path("fifo")));
  EXPECT_FALSE(BinaryFile::Open(dir.Path("fifo"), /*createIfMissing=*/true));
  EXPECT_FALSE(BinaryFile::Open(dir.Path("folder")));
  EXPECT_FALSE(BinaryFile::Open(dir.Path("missing")));
  EXPECT_FALSE(BinaryFile::Open(""));
  EXPECT_FALSE(BinaryFile::Open("/dev/null"));
  EXPECT_FALSE(dir.Exists("missing"));
}

TEST(BinaryFileTest, FollowsLinksToRegularFiles) {
  test::TempDir dir;
  dir.Write("target", "xyz");
  ASSERT_EQ(::symlink(dir.Path("target").c_str(), dir.Path("link").c_str()), 0);
  const auto file = BinaryFile::Open(dir.Path("link"));
  ASSERT_TRUE(file);
  EXPECT_EQ(file->Size(), 3u);
}

TEST(BinaryFileTest, CreatesAMissingFileEmptyOnRequest) {
  test::TempDir dir;
  const auto file = BinaryFile::Open(dir.Path("new.sig"), /*createIfMissing=*/true);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->Size(), 0u);
  EXPECT_TRUE(dir.Exists("new.sig"));
  // An existing file is opened as it is.
  dir.Write("old.sig", "keep");
  const auto old = BinaryFile::Open(dir.Path("old.sig"), true);
  ASSERT_TRUE(old);
  EXPECT_EQ(old->Size(), 4u);
  EXPECT_EQ(dir.Read("old.sig"), "keep");
}

TEST(BinaryFileTest, DoesNotCreateThroughADanglingLink) {
  test::TempDir dir;
  ASSERT_EQ(::symlink(dir.Path("elsewhere").c_str(), dir.Path("planted.sig").c_str()), 0);
  EXPECT_FALSE(BinaryFile::Open(dir.Path("planted.sig"), true));
  EXPECT_FALSE(dir.Exists("elsewhere"));
}

TEST(BinaryFileTest, CreationFailsInAFolderThatDoesNotExist) {
  test::TempDir dir;
  EXPECT_FALSE(BinaryFile::Open(dir.Path("no/such/folder/0.sig"), true));
}

TEST(Md5Test, StreamingEqualsOnePiece) {
  std::string data(100000, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7 + 3);
  Md5 md5;
  for (size_t at = 0; at < data.size(); at += 777) md5.Update(std::string_view(data).substr(at, 777));
  const auto streamed = md5.Finish();
  ASSERT_TRUE(streamed);
  EXPECT_EQ(*streamed, *Md5Of(data));
  // Finished once; a second finish or a late feed fails instead of giving a wrong digest.
  EXPECT_FALSE(md5.Finish());
  EXPECT_FALSE(md5.Update("x"));
}

}  // namespace
}  // namespace zq
