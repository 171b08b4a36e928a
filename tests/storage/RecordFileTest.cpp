#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <ostream>
#include <string>
#include <vector>

#include "platform/Encoding.h"
#include "storage/Profile.h"
#include "storage/RecordFile.h"
#include "support/TempDir.h"

namespace zq {
namespace {

class RecordFile : public testing::Test {
 protected:
  std::string List() const { return GetAppFilePath("VevezoRezezad.ini"); }
  std::string Quarantine() const { return GetAppFilePath("Quarantine.ini"); }
  int32_t AppendList(const std::string& file, const std::string& signature) {
    return AppendRecord(List(), ListRecordLayout(), {file, signature, "desc " + file, "1"});
  }
  test::TempProgramFolder folder_;
};

TEST(RecordKey, FiveDigitsOrMoreNeverCut) {
  const std::pair<int32_t, const char*> cases[] = {{1, "00001"},
                                                   {7, "00007"},
                                                   {42, "00042"},
                                                   {99999, "99999"},
                                                   {100000, "100000"},
                                                   {123456, "123456"},
                                                   {INT32_MAX, "2147483647"}};
  for (const auto& [n, key] : cases) EXPECT_EQ(RecordKey(n), key);
}

TEST_F(RecordFile, FirstAppendCreatesFileInWriteOrder) {
  EXPECT_EQ(AppendList("/bin/a", "0123456789ABCDEF0123456789ABCDEF"), 1);
  EXPECT_EQ(folder_.Read("VevezoRezezad.ini"),
            "[Count]\r\nMaxID=1\r\n"
            "[File]\r\n00001=/bin/a\r\n"
            "[Signature]\r\n00001=0123456789ABCDEF0123456789ABCDEF\r\n"
            "[Description]\r\n00001=desc /bin/a\r\n"
            "[DefenseFlag]\r\n00001=1\r\n");
}

TEST_F(RecordFile, BlankedRecordsStayAndNumbersAreNeverReused) {
  ASSERT_EQ(AppendList("/bin/a", "A"), 1);
  ASSERT_EQ(AppendList("/bin/b", "B"), 2);
  ASSERT_EQ(AppendList("/bin/c", "C"), 3);
  ASSERT_TRUE(BlankRecord(List(), ListRecordLayout(), "00002"));
  EXPECT_EQ(ReadIniValue(List(), "Count", "MaxID"), "3");
  EXPECT_EQ(ReadIniValue(List(), "File", "00002"), "");
  EXPECT_EQ(ReadIniValue(List(), "Signature", "00002"), "");
  EXPECT_EQ(ReadIniValue(List(), "Description", "00002"), "desc /bin/b");
  EXPECT_EQ(ReadIniValue(List(), "DefenseFlag", "00002"), "1");
  EXPECT_NE(folder_.Read("VevezoRezezad.ini").find("[File]\r\n00001=/bin/a\r\n00002=\r\n00003=/bin/c\r\n"),
            std::string::npos);
  EXPECT_EQ(AppendList("/bin/d", "D"), 4);

  const auto walk = RecordWalk::Load(List());
  ASSERT_EQ(walk.Count(), 4);
  std::vector<std::string> present;
  for (int32_t n = 1; n <= walk.Count(); ++n) {
    if (!walk.Field(n, "File").empty())
      present.push_back(walk.Field(n, "file") + "=" + walk.Field(n, "Signature"));
  }
  EXPECT_EQ(present, (std::vector<std::string>{"/bin/a=A", "/bin/c=C", "/bin/d=D"}));
}

TEST_F(RecordFile, QuarantineLayout) {
  ASSERT_EQ(AppendRecord(Quarantine(), QuarantineRecordLayout(), {"/home/u/v.exe", "/opt/zq/quarantine/1"}),
            1);
  EXPECT_EQ(folder_.Read("Quarantine.ini"),
            "[Count]\r\nMaxID=1\r\n[SourceFile]\r\n00001=/home/u/v.exe\r\n"
            "[QuarantineFile]\r\n00001=/opt/zq/quarantine/1\r\n");
  ASSERT_TRUE(BlankRecord(Quarantine(), QuarantineRecordLayout(), "00001"));
  EXPECT_EQ(folder_.Read("Quarantine.ini"),
            "[Count]\r\nMaxID=1\r\n[SourceFile]\r\n00001=\r\n[QuarantineFile]\r\n00001=\r\n");
}

TEST_F(RecordFile, AppendToFileWithoutCountStartsAtOne) {
  folder_.Write("Quarantine.ini", "; quarantine index\r\n[Other]\r\nX=1\r\n");
  EXPECT_EQ(AppendRecord(Quarantine(), QuarantineRecordLayout(), {"/a", "/q/1"}), 1);
  EXPECT_EQ(ReadIniValue(Quarantine(), "Count", "MaxID"), "1");
  EXPECT_EQ(ReadIniValue(Quarantine(), "Other", "X"), "1");
}

struct MaxIdCase {
  const char* name;
  const char* maxId;  // as stored in the file
  std::optional<int32_t> walked;
  int32_t appended;  // the file also holds records 00001..00003
};
void PrintTo(const MaxIdCase& c, std::ostream* os) {
  *os << c.name;
}

// A hand-edited MaxID: what a walk sees and where an append goes. An append
// never overwrites the three records already in the file.
class HandEditedMaxId : public testing::TestWithParam<MaxIdCase> {};

TEST_P(HandEditedMaxId, WalkAndAppend) {
  const MaxIdCase& c = GetParam();
  test::TempProgramFolder folder;
  const auto path = GetAppFilePath("VevezoRezezad.ini");
  folder.Write("VevezoRezezad.ini", std::string("[Count]\r\nMaxID=") + c.maxId +
                                        "\r\n[File]\r\n00001=/a\r\n00002=/b\r\n00003=/c\r\n"
                                        "[Signature]\r\n00001=A\r\n00002=B\r\n00003=C\r\n");
  const auto walk = RecordWalk::Load(path);
  EXPECT_EQ(walk.MaxId(), c.walked);
  EXPECT_EQ(walk.Count(), c.walked.value_or(0));

  EXPECT_EQ(AppendRecord(path, ListRecordLayout(), {"/new", "N", "", "0"}), c.appended);
  EXPECT_EQ(ReadIniValue(path, "Count", "MaxID"), std::to_string(c.appended));
  EXPECT_EQ(ReadIniValue(path, "File", "00001"), "/a");
  EXPECT_EQ(ReadIniValue(path, "File", "00002"), "/b");
  EXPECT_EQ(ReadIniValue(path, "File", "00003"), "/c");
  EXPECT_EQ(ReadIniValue(path, "File", RecordKey(c.appended)), "/new");
  EXPECT_EQ(RecordWalk::Load(path).Count(), c.appended);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HandEditedMaxId,
    testing::Values(MaxIdCase{"Plain", "3", 3, 4}, MaxIdCase{"Spaced", "  3  ", 3, 4},
                    MaxIdCase{"LeadingZeros", "007", 7, 8}, MaxIdCase{"Higher", "10", 10, 11},
                    MaxIdCase{"Empty", "", 0, 4}, MaxIdCase{"TooLow", "1", 1, 4},
                    MaxIdCase{"Word", "abc", std::nullopt, 4}, MaxIdCase{"Trailing", "3x", std::nullopt, 4},
                    MaxIdCase{"Plus", "+3", std::nullopt, 4}, MaxIdCase{"Negative", "-1", std::nullopt, 4},
                    MaxIdCase{"Fraction", "2.5", std::nullopt, 4},
                    MaxIdCase{"Overflow", "99999999999", std::nullopt, 4}),
    [](const testing::TestParamInfo<MaxIdCase>& info) { return info.param.name; });

TEST_F(RecordFile, MaxIdAtTheLimitAppendsNothing) {
  const std::string before = "[Count]\r\nMaxID=2147483647\r\n";
  folder_.Write("VevezoRezezad.ini", before);
  EXPECT_EQ(AppendList("/a", "A"), 0);
  EXPECT_EQ(folder_.Read("VevezoRezezad.ini"), before);
}

TEST_F(RecordFile, AppendThatCannotBeStoredWritesNothing) {
  ASSERT_EQ(AppendList("/a", "A"), 1);
  const std::string before = folder_.Read("VevezoRezezad.ini");
  const std::vector<std::vector<std::string>> refused = {
      {"/b\r\n[Count]\r\nMaxID=0", "B", "", "0"},  // would inject lines
      {"/b", "B", "\xB2\xA1", "0"},                // not UTF-8
      {"/b", "B", std::string("x\0y", 3), "0"},    // NUL
      {"/b", "B", ""},                             // one value short
  };
  for (const auto& values : refused) {
    EXPECT_EQ(AppendRecord(List(), ListRecordLayout(), values), 0);
    EXPECT_EQ(folder_.Read("VevezoRezezad.ini"), before);
  }
  ::chmod(List().c_str(), 0444);
  EXPECT_EQ(AppendList("/c", "C"), 0);
  EXPECT_FALSE(BlankRecord(List(), ListRecordLayout(), "00001"));
  EXPECT_EQ(folder_.Read("VevezoRezezad.ini"), before);
}

TEST_F(RecordFile, BlankRefusesKeysThatWouldInject) {
  ASSERT_EQ(AppendList("/a", "A"), 1);
  const std::string before = folder_.Read("VevezoRezezad.ini");
  for (const char* key : {"", "00001=x", "00001\r\n[Count]", "]"}) {
    EXPECT_FALSE(BlankRecord(List(), ListRecordLayout(), key)) << key;
    EXPECT_EQ(folder_.Read("VevezoRezezad.ini"), before);
  }
}

TEST_F(RecordFile, WalkReadsFieldsAsReadIniValueDoes) {
  // Odd but legal values and keys of a hand-edited file: the walk must give
  // what a ReadIniValue of the same record key gives.
  folder_.Write("VevezoRezezad.ini",
                "[ count ]\r\nmaxid = 6\r\n"
                "[file]\r\n00001 =  \"/quoted path\" \r\n00002=" +
                    std::string(300, 'p') + "\r\n00003=   \r\n1=/not a record key\r\n000004=/nor this\r\n" +
                    "00005=/first\r\n00005=/second\r\n00006=/x\r\n" +
                    "[File]\r\n00006=/repeated section\r\n");
  const auto walk = RecordWalk::Load(List());
  ASSERT_EQ(walk.Count(), 6);
  for (int32_t n = 1; n <= 7; ++n) {
    EXPECT_EQ(walk.Field(n, "File"), ReadIniValue(List(), "File", RecordKey(n))) << n;
  }
  EXPECT_EQ(walk.Field(1, "File"), "/quoted path");
  EXPECT_EQ(walk.Field(2, "File"), std::string(254, 'p'));
  EXPECT_EQ(walk.Field(4, "File"), "");
  EXPECT_EQ(walk.Field(5, "File"), "/first");
  EXPECT_EQ(walk.Field(6, "File"), "/x");
  EXPECT_EQ(walk.Field(1, "Signature"), "");  // no such section
}

TEST_F(RecordFile, WalkParsesOnceAndEachWalkReadsAfresh) {
  ASSERT_EQ(AppendList("/a", "A"), 1);
  const auto first = RecordWalk::Load(List());
  ASSERT_EQ(AppendList("/b", "B"), 2);
  EXPECT_EQ(first.Count(), 1);
  EXPECT_EQ(first.Field(2, "File"), "");
  const auto second = RecordWalk::Load(List());
  EXPECT_EQ(second.Count(), 2);
  // Fields come from the walk's own parse: the file is not read again.
  ASSERT_EQ(::unlink(List().c_str()), 0);
  EXPECT_EQ(second.Field(2, "File"), "/b");
  const RecordWalk copy = second;
  EXPECT_EQ(copy.Field(1, "Signature"), "A");
  EXPECT_EQ(RecordWalk::Load(List()).Count(), 0);  // missing file: no records
}

TEST_F(RecordFile, NumbersSkipsRecordsWithoutLines) {
  // A hand-edited MaxID far above the records: walking Numbers() visits the
  // records that exist and gives the same present records as 1..MaxID would.
  folder_.Write("VevezoRezezad.ini",
                "[Count]\r\nMaxID=2000000000\r\n[File]\r\n00002=/b\r\n00009=\r\n[Description]\r\n00005=d\r\n"
                "[Signature]\r\n00002=B\r\n");
  const auto walk = RecordWalk::Load(List());
  EXPECT_EQ(walk.Count(), 2000000000);
  EXPECT_EQ(walk.Numbers(), (std::vector<int32_t>{2, 5, 9}));
  folder_.Write("VevezoRezezad.ini", "[Count]\r\nMaxID=5\r\n[File]\r\n00002=/b\r\n00009=/above\r\n");
  EXPECT_EQ(RecordWalk::Load(List()).Numbers(), (std::vector<int32_t>{2}));
  folder_.Write("VevezoRezezad.ini", "[Count]\r\nMaxID=x\r\n[File]\r\n00002=/b\r\n");
  EXPECT_TRUE(RecordWalk::Load(List()).Numbers().empty());
}

TEST_F(RecordFile, WindowsListFileIsReadAndAppendedTo) {
  // A list as the original program leaves it: code page 936, CRLF.
  const auto gbk = EncodeGbk(
      "[Count]\r\nMaxID=1\r\n[File]\r\n00001=C:\\程序\\工具.exe\r\n[Signature]\r\n"
      "00001=0123456789ABCDEF0123456789ABCDEF\r\n[Description]\r\n00001=白名单\r\n[DefenseFlag]\r\n00001="
      "1\r\n");
  ASSERT_TRUE(gbk);
  folder_.Write("VevezoRezezad.ini", *gbk);
  EXPECT_EQ(RecordWalk::Load(List()).Field(1, "File"), "C:\\程序\\工具.exe");
  ASSERT_EQ(AppendList("/usr/bin/新", "B"), 2);
  const auto walk = RecordWalk::Load(List());
  EXPECT_EQ(walk.Field(1, "File"), "C:\\程序\\工具.exe");
  EXPECT_EQ(walk.Field(1, "Description"), "白名单");
  EXPECT_EQ(walk.Field(2, "File"), "/usr/bin/新");
  EXPECT_TRUE(IsValidUtf8(folder_.Read("VevezoRezezad.ini")));
}

}  // namespace
}  // namespace zq
