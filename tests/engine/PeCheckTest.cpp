#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "engine/PeCheck.h"
#include "engine/SignatureDb.h"
#include "platform/Yield.h"
#include "support/PeBuilder.h"
#include "support/SignatureWriter.h"
#include "support/TempDir.h"

namespace zq {
namespace {

using test::PeBuilder;

constexpr uint32_t kMiB = 1024 * 1024;

std::string Filled(size_t size, char c) {
  return std::string(size, c);
}

TEST(SectionKeyTest, WorkedExample) {
  EXPECT_EQ(SectionKey(3, "abc"), "8258B5AFEEF78D1BDB7BBE6D435ED871");
  EXPECT_EQ(SectionKeyFromDigest(3, "900150983CD24FB0D6963F7D28E17F72"), "8258B5AFEEF78D1BDB7BBE6D435ED871");
  EXPECT_EQ(SectionKeyFromDigest(3, ""), "");
}

class PeCheckTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(LoadSignatures()); }
  void TearDown() override { LoadSignatures(); }

  // Lists the section that lies at `pointer` with `size` bytes in `image`.
  void List(const std::string& image, uint32_t pointer, uint32_t size, const std::string& name) {
    writer_.Add(SectionKey(size, PeBuilder::RawSection(image, pointer, size)), name);
  }
  void ClearSignatures() {
    for (int b = 0; b < kSignatureBucketCount; ++b) std::remove(writer_.PathOf(SignatureFileName(b)).c_str());
  }
  std::string Check(const std::string& image) {
    EXPECT_TRUE(LoadSignatures());
    return CheckPeFile(folder_.Write("sample.exe", image));
  }

  test::TempProgramFolder folder_;
  test::SignatureWriter writer_{folder_.path()};
};

TEST_F(PeCheckTest, FindsAListedSectionAndTrimsItsName) {
  const std::string image =
      PeBuilder().AddSection(".text", Filled(700, 'x')).AddSection(".data", "d").Build();
  List(image, 0x600, 512, "  Trojan.Demo  ");  // .data, after 1024 bytes of .text
  EXPECT_EQ(Check(image), "Trojan.Demo");
}

TEST_F(PeCheckTest, CleanFileGivesNothing) {
  const std::string image = PeBuilder().AddSection(".text", "code").Build();
  List(image, 0x200, 512, "Other");  // a different section layout
  EXPECT_EQ(Check(PeBuilder().AddSection(".text", "code!").Build()), "");
}

TEST_F(PeCheckTest, FirstListedSectionInTableOrderDecides) {
  const std::string image = PeBuilder().AddSection("a", "one").AddSection("b", "two").Build();
  // Listed in the database in the opposite order.
  List(image, 0x400, 512, "Second");
  List(image, 0x200, 512, "First");
  EXPECT_EQ(Check(image), "First");
}

TEST_F(PeCheckTest, ANameOfBlanksStopsTheSearchWithNothing) {
  const std::string image = PeBuilder().AddSection("a", "one").AddSection("b", "two").Build();
  List(image, 0x200, 512, "        ");
  List(image, 0x400, 512, "Later.Virus");
  EXPECT_EQ(Check(image), "");
}

TEST_F(PeCheckTest, SkipsSectionsWithSizesOutsideTheLimits) {
  struct Case {
    const char* what;
    uint32_t size;
    bool examined;
  } cases[] = {
      {"zero", 0, false},
      {"negative", 0x80000000u, false},
      {"all bits", 0xFFFFFFFFu, false},
      {"one byte", 1, true},
      {"exactly 10 MiB", 10 * kMiB, true},
      {"10 MiB and one byte", 10 * kMiB + 1, false},
  };
  for (const auto& c : cases) {
    PeBuilder::Section s;
    s.name = "big";
    s.data = "payload";
    s.sizeOfRawData = c.size;
    const std::string image = PeBuilder().AddSection(s).AddSection("tail", "tail").Build();
    // The key this section would have, and a later section that is always examined.
    if (c.size > 0 && c.size <= 16 * kMiB) List(image, 0x200, c.size, "Big.Section");
    List(image, 0x400, 512, "Tail.Section");
    EXPECT_EQ(Check(image), c.examined ? "Big.Section" : "Tail.Section") << c.what;
    ClearSignatures();
  }
}

TEST_F(PeCheckTest, BytesBeyondTheEndOfTheFileCountAsZeros) {
  PeBuilder::Section far;
  far.name = "far";
  far.sizeOfRawData = 512;
  far.pointerToRawData = 0x100000;
  PeBuilder::Section straddling;
  straddling.name = "cut";
  straddling.data = "head";
  straddling.sizeOfRawData = 4096;  // runs past the end of the file
  const std::string image = PeBuilder().AddSection(far).Build();
  writer_.Add(SectionKey(512, std::string(512, '\0')), "Zeros");
  EXPECT_EQ(Check(image), "Zeros");

  const std::string cut = PeBuilder().AddSection(straddling).Build();
  ASSERT_LT(cut.size(), 0x200u + 4096);
  std::string expected = "head";
  expected.resize(4096, '\0');
  writer_.Add(SectionKey(4096, expected), "Cut");
  EXPECT_EQ(Check(cut), "Cut");
}

TEST_F(PeCheckTest, FileSizeLimitIsFifteenMiB) {
  std::string image = PeBuilder().AddSection(".text", "x").Build();
  List(image, 0x200, 512, "Sized");
  image.resize(15 * kMiB, '\0');
  EXPECT_EQ(Check(image), "Sized");
  image.push_back('\0');
  EXPECT_EQ(Check(image), "");
}

TEST_F(PeCheckTest, SectionCountMustBeOneToNinetyNine) {
  struct Case {
    int16_t count;
    bool examined;
  } cases[] = {{0, false}, {-1, false}, {1, true}, {99, true}, {100, false}, {-32768, false}};
  const std::string listed = PeBuilder().AddSection(".text", "x").Build();
  List(listed, 0x200, 512, "Counted");
  for (const auto& c : cases) {
    // Entries past the real one read as zeros (skipped), or as whatever follows.
    const std::string image = PeBuilder().AddSection(".text", "x").NumberOfSections(c.count).Build();
    EXPECT_EQ(Check(image), c.examined ? "Counted" : "") << c.count;
  }
}

TEST_F(PeCheckTest, HeadersAreFoundThroughELfanew) {
  const std::string image = PeBuilder().Lfanew(0x400).AddSection(".text", "moved").Build();
  const uint32_t pointer = test::AlignFile(0x400 + 248 + 40);
  List(image, pointer, 512, "Moved");
  EXPECT_EQ(Check(image), "Moved");
}

TEST_F(PeCheckTest, RejectsWhatIsNotAPeImage) {
  const std::string good = PeBuilder().AddSection(".text", "x").Build();
  List(good, 0x200, 512, "Listed");
  ASSERT_EQ(Check(good), "Listed");

  std::string lowerMagic = good;
  lowerMagic[0] = 'm';
  lowerMagic[1] = 'z';
  std::string noSignature = good;
  noSignature[0x81] = 'X';
  std::string lowerSignature = good;
  lowerSignature[0x80] = 'p';
  const std::string lfanewPastEnd = PeBuilder().AddSection(".text", "x").LfanewField(0x00100000).Build();
  const std::string lfanewTopBit = PeBuilder().AddSection(".text", "x").LfanewField(0x80000080).Build();
  const std::string lfanewAllBits = PeBuilder().AddSection(".text", "x").LfanewField(0xFFFFFFFF).Build();

  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"lower-case mz", lowerMagic},
      {"no PE signature", noSignature},
      {"lower-case pe", lowerSignature},
      {"e_lfanew past the end", lfanewPastEnd},
      {"e_lfanew with the top bit", lfanewTopBit},
      {"e_lfanew all ones", lfanewAllBits},
      {"text beginning with MZ", "MZ is how this note begins, and nothing else follows."},
      {"just MZ", "MZ"},
      {"empty", ""},
      {"headers only, cut inside the section table", good.substr(0, 0x80 + 248 + 20)},
  };
  for (const auto& c : cases) EXPECT_EQ(Check(c.bytes), "") << c.what;
}

TEST_F(PeCheckTest, GivesNothingForPathsThatAreNotRegularFiles) {
  ASSERT_EQ(::mkfifo(folder_.Path("pipe.exe").c_str(), 0644), 0);
  ::mkdir(folder_.Path("folder.exe").c_str(), 0755);
  EXPECT_EQ(CheckPeFile(folder_.Path("pipe.exe")), "");
  EXPECT_EQ(CheckPeFile(folder_.Path("folder.exe")), "");
  EXPECT_EQ(CheckPeFile(folder_.Path("missing.exe")), "");
  EXPECT_EQ(CheckPeFile(""), "");
}

TEST_F(PeCheckTest, YieldsBeforeEveryTableEntryAndToleratesReentry) {
  const std::string image = PeBuilder()
                                .AddSection("a", "one")
                                .AddSection(PeBuilder::Section{"skip", "", 0, 0, 0})
                                .AddSection("c", "three")
                                .Build();
  List(image, 0x400, 512, "Third");
  const std::string other = PeBuilder().AddSection("o", "other").Build();
  List(other, 0x200, 512, "Other");
  ASSERT_TRUE(LoadSignatures());
  const std::string path = folder_.Write("sample.exe", image);
  const std::string otherPath = folder_.Write("other.exe", other);

  int yields = 0;
  std::string nested;
  auto previous = SetYieldHandler([&] {
    // The window's event loop may run another check in the middle of this one.
    if (++yields == 2) nested = CheckPeFile(otherPath);
  });
  const std::string result = CheckPeFile(path);
  SetYieldHandler(previous);
  EXPECT_EQ(result, "Third");
  EXPECT_EQ(nested, "Other");
  EXPECT_EQ(yields, 3 + 1);  // three entries here, one in the nested check
}

TEST_F(PeCheckTest, ExamineSectionsListsTheKeysInTableOrder) {
  PeBuilder::Section empty{"empty", "", 0, std::nullopt, 0x40000040};
  const std::string image =
      PeBuilder().AddSection("first", "1").AddSection(empty).AddSection("third", Filled(600, '3')).Build();
  const std::string path = folder_.Write("sample.exe", image);
  const auto sections = ExamineSections(path);
  ASSERT_TRUE(sections);
  ASSERT_EQ(sections->size(), 2u);
  EXPECT_EQ((*sections)[0].index, 0);
  EXPECT_EQ((*sections)[0].name, "first");
  EXPECT_EQ((*sections)[0].key, SectionKey(512, PeBuilder::RawSection(image, 0x200, 512)));
  EXPECT_EQ((*sections)[1].index, 2);
  EXPECT_EQ((*sections)[1].sizeOfRawData, 1024u);
  EXPECT_EQ((*sections)[1].key, SectionKey(1024, PeBuilder::RawSection(image, 0x400, 1024)));

  EXPECT_FALSE(ExamineSections(folder_.Write("text.exe", "MZ but no more")));
  EXPECT_FALSE(ExamineSections(folder_.Write("none.exe", PeBuilder().NumberOfSections(0).Build())));
}

}  // namespace
}  // namespace zq
