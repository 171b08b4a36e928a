#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "platform/Clock.h"
#include "platform/Directory.h"
#include "platform/FileOps.h"
#include "platform/Random.h"
#include "support/TempDir.h"

namespace zq {
namespace {

namespace fs = std::filesystem;

TEST(DirectoryTest, ListsEveryEntryWithItsOwnKind) {
  test::TempDir dir;
  dir.Write("file.exe", "x");
  fs::create_directory(dir.Path("sub"));
  fs::create_directory_symlink(dir.Path("sub"), dir.Path("link-to-sub"));
  fs::create_symlink(dir.Path("file.exe"), dir.Path("link-to-file"));
  ASSERT_EQ(::mkfifo(dir.Path("pipe").c_str(), 0600), 0);

  std::map<std::string, EntryKind> seen;
  DirectoryListing listing(dir.path());
  ASSERT_TRUE(listing.IsOpen());
  DirectoryEntry entry;
  while (listing.Next(entry)) seen[entry.name] = entry.kind;
  const std::map<std::string, EntryKind> expected = {
      {".", EntryKind::Directory},         {"..", EntryKind::Directory},
      {"file.exe", EntryKind::Regular},    {"sub", EntryKind::Directory},
      {"link-to-sub", EntryKind::Symlink}, {"link-to-file", EntryKind::Symlink},
      {"pipe", EntryKind::Other},
  };
  EXPECT_EQ(seen, expected);

  EXPECT_EQ(PathKind(dir.Path("link-to-sub")), EntryKind::Symlink);
  EXPECT_EQ(TargetKind(dir.Path("link-to-sub")), EntryKind::Directory);
  EXPECT_EQ(TargetKind(dir.Path("missing")), EntryKind::Missing);
}

TEST(DirectoryTest, AFolderThatCannotBeOpenedListsNothing) {
  test::TempDir dir;
  for (const auto& path : {dir.Path("missing"), dir.Write("file", "x")}) {
    DirectoryListing listing(path);
    EXPECT_FALSE(listing.IsOpen());
    DirectoryEntry entry;
    EXPECT_FALSE(listing.Next(entry));
  }
}

TEST(CopyToNewFileTest, CopiesCompletelyWithTheModeGiven) {
  test::TempDir dir;
  const std::string bytes(200000, '\x5a');
  const std::string from = dir.Write("from", bytes);
  ASSERT_EQ(CopyToNewFile(from, dir.Path("to"), 0600), CopyResult::Copied);
  EXPECT_EQ(dir.Read("to"), bytes);
  struct stat st {};
  ASSERT_EQ(::stat(dir.Path("to").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
}

TEST(CopyToNewFileTest, NeverOverwritesAndNeverLeavesAPart) {
  test::TempDir dir;
  const std::string from = dir.Write("from", "new");
  dir.Write("taken", "old");
  EXPECT_EQ(CopyToNewFile(from, dir.Path("taken"), 0600), CopyResult::TargetExists);
  EXPECT_EQ(dir.Read("taken"), "old");

  EXPECT_EQ(CopyToNewFile(dir.Path("missing"), dir.Path("a"), 0600), CopyResult::Failed);
  EXPECT_EQ(CopyToNewFile(from, dir.Path("no/such/folder"), 0600), CopyResult::Failed);
  EXPECT_EQ(CopyToNewFile(dir.path(), dir.Path("b"), 0600), CopyResult::Failed);
  ASSERT_EQ(::mkfifo(dir.Path("pipe").c_str(), 0600), 0);
  EXPECT_EQ(CopyToNewFile(dir.Path("pipe"), dir.Path("c"), 0600), CopyResult::Failed);  // no blocking
  for (const char* name : {"a", "b", "c"}) EXPECT_FALSE(dir.Exists(name)) << name;
}

TEST(FileOpsTest, RemoveFileRemovesFilesOnly) {
  test::TempDir dir;
  EXPECT_TRUE(RemoveFile(dir.Write("f", "x")));
  EXPECT_FALSE(dir.Exists("f"));
  EXPECT_FALSE(RemoveFile(dir.Path("f")));
  fs::create_directory(dir.Path("d"));
  EXPECT_FALSE(RemoveFile(dir.Path("d")));
  EXPECT_TRUE(dir.Exists("d"));
}

TEST(FileOpsTest, AbsolutePathDropsDotsButKeepsParents) {
  const std::string cwd = fs::current_path().string();
  const struct {
    const char* in;
    std::string out;
  } cases[] = {
      {"/a/b", "/a/b"},       {"/a//b/./c", "/a/b/c"},   {"/a/b/", "/a/b/"},    {"/a/.", "/a/"},  {"/", "/"},
      {"/a/../b", "/a/../b"}, {"x.exe", cwd + "/x.exe"}, {"./d/", cwd + "/d/"}, {".", cwd + "/"},
  };
  for (const auto& c : cases) EXPECT_EQ(AbsolutePath(c.in), c.out) << c.in;
}

TEST(ClockTest, AHandlerReplacesTheClockUntilRemoved) {
  const int64_t before = ClockSeconds();
  SetClockHandler([] { return int64_t{42}; });
  EXPECT_EQ(ClockSeconds(), 42);
  SetClockHandler({});
  EXPECT_GE(ClockSeconds(), before);
}

TEST(RandomTest, StaysBelowTheBound) {
  for (int i = 0; i < 1000; ++i) EXPECT_LT(RandomBelow(3), 3u);
  EXPECT_EQ(RandomBelow(1), 0u);
  EXPECT_EQ(RandomBelow(0), 0u);
}

}  // namespace
}  // namespace zq
