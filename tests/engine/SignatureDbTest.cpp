#include <gtest/gtest.h>
#include <sys/stat.h>

#include <random>
#include <string>
#include <vector>

#include "engine/SignatureDb.h"
#include "platform/Encoding.h"
#include "platform/Yield.h"
#include "support/SignatureWriter.h"
#include "support/TempDir.h"

namespace zq {
namespace {

using test::SignatureWriter;

const std::string kKey0 = "0123456789ABCDEF0123456789ABCDEF";
const std::string kKeyA = "A0000000000000000000000000000001";
const std::string kKeyF = "FEDCBA9876543210FEDCBA9876543210";

std::string Field(std::string_view name) {
  std::string field(name);
  field.resize(32, ' ');
  return field;
}

class SignatureDbTest : public ::testing::Test {
 protected:
  std::string Match(const std::string& key) {
    EXPECT_TRUE(LoadSignatures());
    return MatchSignature(key);
  }
  void TearDown() override { LoadSignatures(); }

  test::TempProgramFolder folder_;
  SignatureWriter writer_{folder_.path()};
};

TEST_F(SignatureDbTest, CreatesTheSeventeenFilesWhenMissing) {
  ASSERT_TRUE(LoadSignatures());
  for (const char* name : {"0.sig", "1.sig", "2.sig", "3.sig", "4.sig", "5.sig", "6.sig", "7.sig", "8.sig",
                           "9.sig", "A.sig", "B.sig", "C.sig", "D.sig", "E.sig", "F.sig", "G.sig"}) {
    EXPECT_TRUE(folder_.Exists(name)) << name;
    EXPECT_EQ(folder_.Read(name), "") << name;
  }
  EXPECT_EQ(MatchSignature(kKey0), "");
}

TEST_F(SignatureDbTest, ReturnsTheNameFieldWithItsBlanks) {
  writer_.Add(kKey0, "Worm.Zero");
  EXPECT_EQ(Match(kKey0), Field("Worm.Zero"));
}

TEST_F(SignatureDbTest, SearchOrder) {
  const std::string onlyGeneral = "9999999999999999999999999999999F";
  const std::string notHex = "Z1234567890ABCDEF1234567890ABCDE";
  writer_.Add(kKeyA, "Bucket.First");
  writer_.Add(kKeyA, "Bucket.Second");
  writer_.AddGeneral(kKeyA, "General");
  writer_.AddGeneral(onlyGeneral, "Only.General");
  writer_.AddGeneral(kKeyF, "General.F");
  writer_.AddGeneral(notHex, "Not.Hex");
  writer_.AddGeneral(notHex, "Not.Hex.Later");
  // A record filed in a bucket its key does not belong to is never searched.
  writer_.AppendRaw("0.sig", SignatureWriter::Record(notHex, "Misfiled"));
  writer_.AppendRaw("0.sig", SignatureWriter::Record(kKeyF, "Misfiled.F"));
  ASSERT_TRUE(LoadSignatures());

  struct Case {
    std::string key;
    std::string expected;
  } cases[] = {
      {kKeyA, "Bucket.First"},        // bucket before G, earlier record before later
      {onlyGeneral, "Only.General"},  // found in G whatever the first character (bucket 9 is empty)
      {kKeyF, "General.F"},
      {notHex, "Not.Hex"},
      {kKey0, ""},
      {"", ""},
      {kKeyA.substr(0, 31), ""},  // a prefix of a key is not the key
      {kKeyA + "0", ""},
  };
  for (const auto& c : cases) {
    const std::string name = MatchSignature(c.key);
    EXPECT_EQ(name.substr(0, name.find_last_not_of(' ') + 1), c.expected) << c.key;
  }
}

TEST_F(SignatureDbTest, ComparisonIsExactAndCaseSensitive) {
  const std::string lower = "abcdef0123456789abcdef0123456789";
  const std::string upper = "ABCDEF0123456789ABCDEF0123456789";
  writer_.Add(lower, "Lower.Record");  // filed under A.sig
  writer_.Add("B" + upper.substr(1), "Upper.Record");
  ASSERT_TRUE(LoadSignatures());
  EXPECT_EQ(MatchSignature(upper), "");
  EXPECT_EQ(MatchSignature("b" + upper.substr(1)), "");
  // A lower-case query picks the upper-case file and matches exactly what is stored there.
  EXPECT_EQ(MatchSignature(lower), Field("Lower.Record"));
}

TEST_F(SignatureDbTest, LengthNotAMultipleOfARecordIsRoundedToTheNearest) {
  const std::string k1 = "1111111111111111111111111111111A";
  const std::string k2 = "1111111111111111111111111111111B";
  const std::string k3 = "1111111111111111111111111111111C";
  const std::string full = SignatureWriter::Record(k1, "One") + SignatureWriter::Record(k2, "Two");
  const std::string third = SignatureWriter::Record(k3, "Three");
  struct Case {
    size_t thirdBytes;  // how much of the third record the file holds
    std::string expected;
  } cases[] = {
      {0, ""},
      {10, ""},
      {32, ""},                                        // 164 / 66 = 2.48: the key alone is rounded away
      {33, std::string("T") + std::string(31, '\0')},  // 2.5 rounds up: the rest reads as zeros
      {40, std::string("Three") + std::string(3, ' ') + std::string(24, '\0')},
      {65, Field("Three")},
  };
  for (const auto& c : cases) {
    writer_.CreateAll();
    ::truncate(writer_.PathOf("1.sig").c_str(), 0);
    writer_.AppendRaw("1.sig", full + third.substr(0, c.thirdBytes));
    ASSERT_TRUE(LoadSignatures());
    EXPECT_EQ(MatchSignature(k1), Field("One")) << c.thirdBytes;
    EXPECT_EQ(MatchSignature(k2), Field("Two")) << c.thirdBytes;
    EXPECT_EQ(MatchSignature(k3), c.expected) << c.thirdBytes;
  }
}

TEST_F(SignatureDbTest, ALoneShortFileHoldsNoRecordOrOnePartRecord) {
  writer_.AppendRaw("2.sig", std::string("2222222222222222222222222222222"));    // 31 bytes: rounds to none
  writer_.AppendRaw("3.sig", std::string("33333333333333333333333333333333N"));  // 33 bytes: one record
  ASSERT_TRUE(LoadSignatures());
  EXPECT_EQ(MatchSignature(std::string(31, '2') + std::string(1, '\0')), "");
  EXPECT_EQ(MatchSignature(std::string(32, '3')), "N" + std::string(31, '\0'));
}

TEST_F(SignatureDbTest, DecodesNamesFromUtf8OrGbk) {
  const std::string utf8 = "蠕虫.测试";
  const std::string gbk = *EncodeGbk("木马.样本");
  // Sixteen GBK characters fill the field; fifteen and a half leave a cut character.
  std::string cut = *EncodeGbk("一二三四五六七八九十一二三四五");
  cut += '\xB0';
  cut.resize(32, 'X');
  writer_.Add(kKey0, utf8);
  writer_.Add(kKeyA, gbk);
  writer_.Add(kKeyF, cut.substr(0, 31));
  ASSERT_TRUE(LoadSignatures());
  EXPECT_EQ(MatchSignature(kKey0), Field(utf8));
  EXPECT_EQ(MatchSignature(kKeyA), "木马.样本" + std::string(32 - gbk.size(), ' '));
  // The cut character cannot be decoded; the record still names a detection.
  EXPECT_EQ(MatchSignature(kKeyF), "一二三四五六七八九十一二三四五??");
}

TEST_F(SignatureDbTest, ReloadingReplacesTheRecords) {
  writer_.Add(kKey0, "Old");
  ASSERT_TRUE(LoadSignatures());
  EXPECT_EQ(MatchSignature(kKey0), Field("Old"));
  ::truncate(writer_.PathOf("0.sig").c_str(), 0);
  writer_.Add(kKeyA, "New");
  ASSERT_TRUE(LoadSignatures());
  EXPECT_EQ(MatchSignature(kKey0), "");
  EXPECT_EQ(MatchSignature(kKeyA), Field("New"));
}

TEST_F(SignatureDbTest, YieldsBeforeEachOfTheFirstSixteenFiles) {
  int yields = 0;
  auto previous = SetYieldHandler([&] { ++yields; });
  LoadSignatures();
  SetYieldHandler(previous);
  EXPECT_EQ(yields, 16);
}

TEST_F(SignatureDbTest, AFileThatCannotBeReadLeavesItsBucketEmptyAndIsReported) {
  writer_.Add(kKey0, "Zero");
  writer_.AddGeneral(kKeyF, "General");
  ::mkdir(writer_.PathOf("A.sig").c_str(), 0755);  // a folder where a file belongs
  ASSERT_EQ(::mkfifo(writer_.PathOf("B.sig").c_str(), 0644), 0);
  EXPECT_FALSE(LoadSignatures());
  EXPECT_EQ(MatchSignature(kKey0), Field("Zero"));
  EXPECT_EQ(MatchSignature(kKeyF), Field("General"));
}

TEST_F(SignatureDbTest, AMissingFolderLoadsNothing) {
  writer_.Add(kKey0, "Zero");
  ASSERT_TRUE(LoadSignatures());
  EXPECT_FALSE(LoadSignatures(folder_.Path("no-such-folder")));
  EXPECT_EQ(MatchSignature(kKey0), "");
  EXPECT_FALSE(folder_.Exists("no-such-folder"));
}

// The index must give exactly what a search of the records in file order
// gives: the key's bucket first, then G, the earliest equal record winning.
TEST(SignatureDbIndexTest, AgreesWithASearchInFileOrder) {
  test::TempDir dir;
  SignatureWriter writer(dir.path());
  std::mt19937 random(20240611);
  const char* digits = "0123456789ABCDEFabZ";
  // A small pool of keys so that duplicates, keys in both bucket and G, and
  // misfiled keys are common.
  std::vector<std::string> pool;
  for (int i = 0; i < 300; ++i) {
    std::string key(32, '0');
    for (char& c : key) c = digits[random() % 16];
    key[0] = digits[random() % 19];
    pool.push_back(key);
  }
  std::vector<std::string> files(kSignatureBucketCount);
  for (int n = 0; n < 3000; ++n) {
    const std::string& key = pool[random() % pool.size()];
    const int file = random() % 4 == 0                      ? kGeneralBucket
                     : static_cast<int>(random() % 20) < 18 ? SignatureBucketOf(key)
                                                            : static_cast<int>(random() % 16);
    files[file] += SignatureWriter::Record(key, "N" + std::to_string(n));
  }
  for (int b = 0; b < kSignatureBucketCount; ++b) writer.AppendRaw(SignatureFileName(b), files[b]);

  SignatureDatabase db;
  ASSERT_TRUE(db.Load(dir.path()));
  EXPECT_EQ(db.RecordCount(), 3000u);

  auto linear = [&](const std::string& records, const std::string& key) -> std::string {
    for (size_t at = 0; at < records.size(); at += kSignatureRecordSize) {
      if (records.compare(at, 32, key) == 0 && key.size() == 32) return records.substr(at + 32, 32);
    }
    return "";
  };
  std::vector<std::string> queries = pool;
  for (int i = 0; i < 200; ++i) queries.push_back(pool[i] + "x");
  for (int i = 0; i < 200; ++i) {
    std::string missing = pool[i];
    missing[31] = 'z';
    queries.push_back(missing);
  }
  for (const auto& key : queries) {
    const int bucket = SignatureBucketOf(key);
    std::string expected = bucket != kGeneralBucket ? linear(files[bucket], key) : "";
    if (expected.empty()) expected = linear(files[kGeneralBucket], key);
    EXPECT_EQ(db.Match(key), expected) << key;
  }
}

TEST(SignatureRecordTest, MakesRecordsOnlyFromSectionKeysAndShortNames) {
  EXPECT_EQ(*MakeSignatureRecord(kKey0, "Name"), SignatureWriter::Record(kKey0, "Name"));
  EXPECT_EQ(MakeSignatureRecord(kKey0, std::string(32, 'n'))->size(), kSignatureRecordSize);
  EXPECT_FALSE(MakeSignatureRecord(kKey0, std::string(33, 'n')));
  EXPECT_FALSE(MakeSignatureRecord("0123456789abcdef0123456789ABCDEF", "Name"));
  EXPECT_FALSE(MakeSignatureRecord(kKey0.substr(1), "Name"));
  EXPECT_FALSE(MakeSignatureRecord("G123456789ABCDEF0123456789ABCDEF", "Name"));
}

}  // namespace
}  // namespace zq
