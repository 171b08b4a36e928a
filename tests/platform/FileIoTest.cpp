#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/FileIo.h"
#include "platform/Ini.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace zq {
namespace {

// Names in the folder other than `keep`: a failed or finished write leaves no
// temporary file behind.
std::vector<std::string> Leftovers(const test::TempDir& dir, const std::string& keep) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    if (e.path().filename() != keep) names.push_back(e.path().filename());
  }
  return names;
}

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

TEST(ReadWholeFile, ReadsRegularFilesOnly) {
  test::TempDir dir;
  const std::string bytes("a\0b\r\nc", 6);
  EXPECT_EQ(ReadWholeFile(dir.Write("f", bytes)), bytes);
  EXPECT_EQ(ReadWholeFile(dir.Write("empty", "")), "");
  EXPECT_EQ(ReadWholeFile(dir.Path("missing")), std::nullopt);
  EXPECT_EQ(ReadWholeFile(dir.path()), std::nullopt);
  // A FIFO must neither block nor be read.
  ASSERT_EQ(::mkfifo(dir.Path("fifo").c_str(), 0644), 0);
  EXPECT_EQ(ReadWholeFile(dir.Path("fifo")), std::nullopt);
  EXPECT_EQ(ReadWholeFile(dir.Path("f"), 5), std::nullopt);
  EXPECT_EQ(ReadWholeFile(dir.Path("f"), 6), bytes);
}

TEST(WriteFileAtomic, CreatesAndReplacesKeepingMode) {
  test::TempDir dir;
  const auto path = dir.Path("f.ini");
  ASSERT_TRUE(WriteFileAtomic(path, "one", 0640));
  EXPECT_EQ(dir.Read("f.ini"), "one");
  EXPECT_EQ(
      ModeOf(path), 0640 & ~[] {
        const mode_t m = ::umask(0);
        ::umask(m);
        return m;
      }());
  ::chmod(path.c_str(), 0604);
  ASSERT_TRUE(WriteFileAtomic(path, "two"));
  EXPECT_EQ(dir.Read("f.ini"), "two");
  EXPECT_EQ(ModeOf(path), 0604u);
  EXPECT_TRUE(Leftovers(dir, "f.ini").empty());
}

TEST(WriteFileAtomic, ReplacesTheTargetOfALink) {
  test::TempDir dir;
  const auto target = dir.Write("real.ini", "old");
  ASSERT_EQ(::symlink(target.c_str(), dir.Path("link.ini").c_str()), 0);
  ASSERT_TRUE(WriteFileAtomic(dir.Path("link.ini"), "new"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.Path("link.ini")));
  EXPECT_EQ(dir.Read("real.ini"), "new");
}

TEST(WriteFileAtomic, RefusesWhatItMustNotReplace) {
  test::TempDir dir;
  const auto readOnly = dir.Write("ro.ini", "old");
  ::chmod(readOnly.c_str(), 0444);
  // No write bit: refused even for root, as the original platform refuses a
  // read-only file.
  EXPECT_FALSE(WriteFileAtomic(readOnly, "new"));
  EXPECT_EQ(dir.Read("ro.ini"), "old");
  ::mkdir(dir.Path("folder").c_str(), 0755);
  EXPECT_FALSE(WriteFileAtomic(dir.Path("folder"), "new"));
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path("folder")));
  ASSERT_EQ(::mkfifo(dir.Path("fifo").c_str(), 0644), 0);
  EXPECT_FALSE(WriteFileAtomic(dir.Path("fifo"), "new"));
  ASSERT_EQ(::symlink(dir.Path("nowhere/x").c_str(), dir.Path("dangling").c_str()), 0);
  EXPECT_FALSE(WriteFileAtomic(dir.Path("dangling"), "new"));
  EXPECT_FALSE(WriteFileAtomic(dir.Path("no/such/folder/f"), "new"));
  EXPECT_FALSE(WriteFileAtomic("", "new"));
  for (const auto& name : Leftovers(dir, "ro.ini")) {
    EXPECT_TRUE(name == "folder" || name == "fifo" || name == "dangling") << name;
  }
}

TEST(WriteFileAtomic, FullDiskKeepsTheOldFile) {
  // A file-size limit makes the write fail half-way, as a full disk does; it
  // applies to root too. Run in a child so the limit stays there.
  test::TempDir dir;
  const std::string old = "[S]\r\nK=old\r\n";
  const auto path = dir.Write("s.ini", old);
  const auto rc = test::RunInChild([&] {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{64, 64};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
    const bool small = IniWriteValue(path, "S", "K", "new");
    const bool large = IniWriteValue(path, "S", "K", std::string(1000, 'x'));
    return (small ? 0 : 4) | (large ? 1 : 0);
  });
  ASSERT_TRUE(rc.has_value());
  EXPECT_EQ(*rc, 0) << "small write must succeed, the large one fail";
  EXPECT_EQ(dir.Read("s.ini"), "[S]\r\nK=new\r\n");
  EXPECT_TRUE(Leftovers(dir, "s.ini").empty());
}

TEST(WriteFileAtomic, PermissionsApplyToNormalUsers) {
  // Unreadable and unwritable files and folders, as a user who does not own
  // them. Reading gives nothing; a write fails and leaves the file as it was,
  // and a file we cannot read is never replaced (its content would be lost).
  test::TempDir dir;
  ::chmod(dir.path().c_str(), 0755);
  const auto secret = dir.Write("secret.ini", "[S]\r\nK=1\r\n");
  ::chmod(secret.c_str(), 0600);
  const auto shared = dir.Write("shared.ini", "[S]\r\nK=1\r\n");
  ::chmod(shared.c_str(), 0644);
  const auto rc = test::RunUnprivileged([&] {
    int faults = 0;
    if (IniReadValue(secret, "S", "K").has_value()) faults |= 1;
    if (IniWriteValue(secret, "S", "K", "2")) faults |= 2;
    if (IniReadValue(shared, "S", "K") != "1") faults |= 4;
    if (IniWriteValue(shared, "S", "K", "2")) faults |= 8;                // not our file, folder not ours
    if (IniWriteValue(dir.Path("new.ini"), "S", "K", "2")) faults |= 16;  // folder not writable
    return faults;
  });
  if (!rc) GTEST_SKIP() << "needs root, to run a child as another user who owns none of these files";
  EXPECT_EQ(*rc, 0);
  EXPECT_EQ(dir.Read("secret.ini"), "[S]\r\nK=1\r\n");
  EXPECT_EQ(dir.Read("shared.ini"), "[S]\r\nK=1\r\n");
  EXPECT_FALSE(dir.Exists("new.ini"));
}

TEST(WriteFileAtomic, UnreadableFileInWritableFolderIsNotReplaced) {
  test::TempDir dir;
  ::chmod(dir.path().c_str(), 0777);
  const auto secret = dir.Write("secret.ini", "[S]\r\nK=1\r\n");
  ::chmod(secret.c_str(), 0622);  // others may write but not read
  const auto rc = test::RunUnprivileged([&] { return IniWriteValue(secret, "S", "K", "2") ? 1 : 0; });
  if (!rc) GTEST_SKIP() << "needs root, to run a child as another user who owns none of these files";
  EXPECT_EQ(*rc, 0);
  EXPECT_EQ(dir.Read("secret.ini"), "[S]\r\nK=1\r\n");
}

}  // namespace
}  // namespace zq
