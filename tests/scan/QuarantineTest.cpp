#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "platform/FileIo.h"
#include "platform/ProgramFolder.h"
#include "scan/Quarantine.h"
#include "storage/Profile.h"
#include "storage/RecordFile.h"
#include "support/TempDir.h"

namespace zq {
namespace {

namespace fs = std::filesystem;

class QuarantineTest : public ::testing::Test {
 protected:
  QuarantineTest() { fs::create_directory(home.Path("quarantine")); }

  std::vector<std::string> QuarantinedFiles() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(home.Path("quarantine"))) names.push_back(e.path().string());
    return names;
  }
  RecordWalk Index() const { return RecordWalk::Load(home.Path("Quarantine.ini")); }

  test::TempProgramFolder home;
  test::TempDir files;
};

bool IsQuarantineName(const std::string& name) {
  if (name.size() != 12 || name.substr(8) != ".tmp") return false;
  for (int i = 0; i < 8; ++i) {
    if (name[i] < 'A' || name[i] > 'Y') return false;
  }
  return true;
}

TEST(RandomLettersTest, CapitalsFromAToYOnly) {
  std::set<char> seen;
  for (int round = 0; round < 2000; ++round) {
    const std::string letters = RandomLetters(8);
    ASSERT_EQ(letters.size(), 8u);
    for (char c : letters) {
      ASSERT_GE(c, 'A');
      ASSERT_LE(c, 'Y');
      seen.insert(c);
    }
  }
  EXPECT_EQ(seen.size(), 25u);  // every letter but Z turns up
  EXPECT_EQ(RandomLetters(6).size(), 6u);
  EXPECT_EQ(RandomLetters(0), "");
}

TEST_F(QuarantineTest, MovesTheFileAndAppendsARecord) {
  const std::string original = files.Write("A/b.exe", std::string("MZ\0virus bytes", 14));
  ASSERT_TRUE(MoveToQuarantine(original));

  EXPECT_FALSE(fs::exists(original));
  const auto quarantined = QuarantinedFiles();
  ASSERT_EQ(quarantined.size(), 1u);
  EXPECT_TRUE(IsQuarantineName(fs::path(quarantined[0]).filename().string())) << quarantined[0];
  EXPECT_EQ(*ReadWholeFile(quarantined[0]), std::string("MZ\0virus bytes", 14));

  // The copy keeps its bytes but can never be run from the quarantine.
  struct stat st {};
  ASSERT_EQ(::stat(quarantined[0].c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);

  // Quarantine.ini was absent: the first record is 00001 and MaxID is 1.
  EXPECT_EQ(ReadIniValue(home.Path("Quarantine.ini"), "Count", "MaxID"), "1");
  const RecordWalk index = Index();
  EXPECT_EQ(index.Field(1, "SourceFile"), original);
  EXPECT_EQ(index.Field(1, "QuarantineFile"), quarantined[0]);
  EXPECT_EQ(quarantined[0], home.path() + "/quarantine/" + fs::path(quarantined[0]).filename().string());
}

TEST_F(QuarantineTest, TwoFilesGetTwoNamesAndConsecutiveRecords) {
  ASSERT_TRUE(MoveToQuarantine(files.Write("one.exe", "first")));
  ASSERT_TRUE(MoveToQuarantine(files.Write("two.exe", "second")));
  const RecordWalk index = Index();
  EXPECT_EQ(index.Count(), 2);
  EXPECT_EQ(index.Field(1, "SourceFile"), files.Path("one.exe"));
  EXPECT_EQ(index.Field(2, "SourceFile"), files.Path("two.exe"));
  EXPECT_NE(index.Field(1, "QuarantineFile"), index.Field(2, "QuarantineFile"));
  EXPECT_EQ(QuarantinedFiles().size(), 2u);
}

TEST_F(QuarantineTest, ARelativePathIsRecordedInFull) {
  files.Write("rel.exe", "bytes");
  const auto previous = fs::current_path();
  fs::current_path(files.path());
  const bool moved = MoveToQuarantine("rel.exe");
  fs::current_path(previous);
  ASSERT_TRUE(moved);
  EXPECT_EQ(Index().Field(1, "SourceFile"), files.Path("rel.exe"));
}

TEST_F(QuarantineTest, WithoutTheQuarantineFolderNothingChanges) {
  fs::remove(home.Path("quarantine"));
  const std::string original = files.Write("b.exe", "bytes");
  EXPECT_FALSE(MoveToQuarantine(original));
  EXPECT_TRUE(fs::exists(original));
  EXPECT_FALSE(fs::exists(home.Path("quarantine")));  // never created by the program
  EXPECT_FALSE(fs::exists(home.Path("Quarantine.ini")));
}

TEST_F(QuarantineTest, PathsTheIndexCannotHoldAreNotQuarantined) {
  // Each of these would come back from Quarantine.ini as another path, so the
  // file could never be restored: it must stay where it is.
  std::string longFolder;
  while (files.path().size() + longFolder.size() < 260) longFolder += "deep_folder_name/";
  const std::string tooLong = files.Write(longFolder + "x.exe", "bytes");
  ASSERT_GT(tooLong.size(), kProfileValueLimit);
  const std::string lineBreak = files.Write("evil\n[Count]\nMaxID=0.exe", "bytes");
  const std::string trailingBlank = files.Write("blank.exe ", "bytes");
  const std::string notUtf8 = files.Write("gbk\xb2\xa1.exe", "bytes");

  for (const auto& path : {tooLong, lineBreak, trailingBlank, notUtf8}) {
    EXPECT_FALSE(MoveToQuarantine(path)) << path;
    EXPECT_TRUE(fs::exists(path)) << path;
  }
  EXPECT_TRUE(QuarantinedFiles().empty());
  EXPECT_FALSE(fs::exists(home.Path("Quarantine.ini")));
}

TEST_F(QuarantineTest, AProgramFolderTooDeepForTheIndexQuarantinesNothing) {
  std::string deep = home.path();
  while (deep.size() < 250) deep += "/program_folder_level";
  fs::create_directories(deep + "/quarantine");
  SetProgramFolder(deep);
  const std::string original = files.Write("b.exe", "bytes");
  EXPECT_FALSE(MoveToQuarantine(original));
  EXPECT_TRUE(fs::exists(original));
  EXPECT_TRUE(fs::is_empty(deep + "/quarantine"));
}

TEST_F(QuarantineTest, AnIndexThatCannotBeWrittenLeavesTheFileInPlace) {
  // Quarantine.ini as a folder: every write to it fails.
  fs::create_directory(home.Path("Quarantine.ini"));
  const std::string original = files.Write("b.exe", "bytes");
  EXPECT_FALSE(MoveToQuarantine(original));
  EXPECT_TRUE(fs::exists(original));
  EXPECT_TRUE(QuarantinedFiles().empty());  // no copy that nothing records
}

TEST_F(QuarantineTest, AFileThatCannotBeDeletedLeavesNoCopyAndNoLiveRecord) {
  // A regular file that can be read but never unlinked, even by root.
  const std::string undeletable = "/proc/self/status";
  if (!fs::is_regular_file(undeletable)) GTEST_SKIP() << "no /proc here";
  EXPECT_FALSE(MoveToQuarantine(undeletable));
  EXPECT_TRUE(QuarantinedFiles().empty());
  const RecordWalk index = Index();
  ASSERT_EQ(index.Count(), 1);
  EXPECT_EQ(index.Field(1, "SourceFile"), "");
  EXPECT_EQ(index.Field(1, "QuarantineFile"), "");
}

TEST_F(QuarantineTest, AMissingFileOrAFifoIsNotQuarantined) {
  EXPECT_FALSE(MoveToQuarantine(files.Path("gone.exe")));
  const std::string fifo = files.Path("pipe.exe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(MoveToQuarantine(fifo));  // returns at once: a FIFO is never opened for reading
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_TRUE(QuarantinedFiles().empty());
}

}  // namespace
}  // namespace zq
