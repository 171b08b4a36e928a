#include <gtest/gtest.h>
#include <sys/stat.h>

#include <optional>
#include <ostream>
#include <string>

#include "platform/Encoding.h"
#include "platform/Ini.h"
#include "support/TempDir.h"

namespace zq {
namespace {

struct ReadCase {
  const char* name;
  std::string file;
  const char* section;
  const char* key;
  std::optional<std::string> expected;
};
void PrintTo(const ReadCase& c, std::ostream* os) {
  *os << c.name;
}

// How files written by the original platform (or by hand) read.
class IniRead : public testing::TestWithParam<ReadCase> {};

TEST_P(IniRead, MatchesOriginalPlatform) {
  const ReadCase& c = GetParam();
  EXPECT_EQ(IniDocument::Parse(c.file).Get(c.section, c.key), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniRead,
    testing::Values(
        ReadCase{"Crlf", "[S]\r\nA=1\r\nB=2\r\n", "S", "B", "2"},
        ReadCase{"Lf", "[S]\nA=1\nB=2\n", "S", "B", "2"},
        ReadCase{"CrOnly", "[S]\rA=1\rB=2\r", "S", "B", "2"},
        ReadCase{"MixedEnds", "[S]\r\nA=1\nB=2\rC=3", "S", "C", "3"},
        ReadCase{"LastLineUnterminated", "[S]\r\nA=1", "S", "A", "1"},
        ReadCase{"Bom", "\xEF\xBB\xBF[S]\r\nA=1\r\n", "S", "A", "1"},
        ReadCase{"CaseOfNames", "[Count]\r\nMaxID=3\r\n", "COUNT", "maxid", "3"},
        ReadCase{"BlanksInsideBrackets", "[ Count ]\r\nMaxID=3\r\n", "Count", "MaxID", "3"},
        ReadCase{"BlanksAroundNamesAndValue", "  [S]  \r\n \t A \t=\t 1 2 \t\r\n", "S", "A", "1 2"},
        ReadCase{"BlanksInRequestedNames", "[S]\r\nA=1\r\n", " S ", " A ", "1"},
        ReadCase{"DoubleQuotes", "[S]\r\nA=\"  x  \"\r\n", "S", "A", "  x  "},
        ReadCase{"SingleQuotes", "[S]\r\nA='x'\r\n", "S", "A", "x"},
        ReadCase{"QuotesAfterTrim", "[S]\r\nA=  \"x\"  \r\n", "S", "A", "x"},
        ReadCase{"OnlyOnePairDropped", "[S]\r\nA=\"\"x\"\"\r\n", "S", "A", "\"x\""},
        ReadCase{"MismatchedQuotes", "[S]\r\nA=\"x'\r\n", "S", "A", "\"x'"},
        ReadCase{"LoneQuote", "[S]\r\nA=\"\r\n", "S", "A", "\""},
        ReadCase{"InnerQuotesStay", "[S]\r\nA=a\"b\"\r\n", "S", "A", "a\"b\""},
        ReadCase{"EmptyValuePresent", "[S]\r\nA=\r\n", "S", "A", ""},
        ReadCase{"EqualsInValue", "[S]\r\nA=b=c\r\n", "S", "A", "b=c"},
        ReadCase{"SemicolonInValueIsText", "[S]\r\nA=1 ; note\r\n", "S", "A", "1 ; note"},
        ReadCase{"FirstDuplicateKeyWins", "[S]\r\nA=1\r\na=2\r\n", "S", "A", "1"},
        ReadCase{"FirstDuplicateSectionWins", "[S]\r\nA=1\r\n[s]\r\nA=2\r\n", "S", "A", "1"},
        ReadCase{"KeyOnlyInRepeatedSection", "[S]\r\nA=1\r\n[T]\r\n[S]\r\nB=2\r\n", "S", "B", std::nullopt},
        ReadCase{"CommentLine", "[S]\r\n;A=1\r\n", "S", "A", std::nullopt},
        ReadCase{"IndentedComment", "[S]\r\n  ;A=1\r\nA=2\r\n", "S", "A", "2"},
        ReadCase{"HashIsNotComment", "[S]\r\n#A=1\r\n", "S", "#A", "1"},
        ReadCase{"TextAfterBracket", "[S] trailing ; text\r\nA=1\r\n", "S", "A", "1"},
        ReadCase{"LinesBeforeFirstSection", "A=1\r\n[S]\r\nB=2\r\n", "S", "A", std::nullopt},
        ReadCase{"LineWithoutEqualsIsNoKey", "[S]\r\nA\r\n", "S", "A", std::nullopt},
        ReadCase{"KeyOfOtherSection", "[S]\r\nA=1\r\n[T]\r\nB=2\r\n", "S", "B", std::nullopt},
        ReadCase{"MissingSection", "[S]\r\nA=1\r\n", "T", "A", std::nullopt},
        ReadCase{"EmptyFile", "", "S", "A", std::nullopt},
        ReadCase{"NulInValueKept", std::string("[S]\r\nA=ab\0cd\r\n", 14), "S", "A",
                 std::string("ab\0cd", 5)}),
    [](const testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

TEST(IniRead, GbkFileWrittenByWindows) {
  // A list file as the original program leaves it: code page 936, CRLF.
  const auto gbk = EncodeGbk("[File]\r\n00001=C:\\程序\\病毒.exe\r\n[说明]\r\n名称=澄岳\r\n");
  ASSERT_TRUE(gbk);
  const auto doc = IniDocument::Parse(*gbk);
  EXPECT_EQ(doc.Get("File", "00001"), "C:\\程序\\病毒.exe");
  EXPECT_EQ(doc.Get("说明", "名称"), "澄岳");
}

TEST(IniRead, GbkAndUtf8LinesInOneFile) {
  const auto gbkLine = EncodeGbk("A=中文");
  ASSERT_TRUE(gbkLine);
  const auto doc = IniDocument::Parse("[S]\r\n" + *gbkLine + "\r\nB=中文\r\n");
  EXPECT_EQ(doc.Get("S", "A"), "中文");
  EXPECT_EQ(doc.Get("S", "B"), "中文");
}

TEST(IniRead, GbkTrailBytesThatLookLikeBrackets) {
  // 0x5D (']') and 0x5B ('[') occur as second bytes of GBK characters; lines
  // are decoded before they are parsed, so those bytes are not structure.
  const auto bracketChar = DecodeLegacyText("\x81]");
  const auto openChar = DecodeLegacyText("\x81[");
  ASSERT_TRUE(bracketChar && openChar);
  const auto doc = IniDocument::Parse("[\x81]]\r\n\x81[=\x81]x\r\n");
  EXPECT_EQ(doc.Get(*bracketChar, *openChar), *bracketChar + "x");
}

TEST(IniRead, ListsSectionsKeysAndEntriesOfFirstOccurrence) {
  const auto doc = IniDocument::Parse("x=0\r\n[A]\r\nk1=1\r\n[ b ]\r\nK2 = '2'\r\n[a]\r\nk3=3\r\n");
  EXPECT_EQ(doc.Sections(), (std::vector<std::string>{"A", "b"}));
  EXPECT_EQ(doc.Keys("a"), (std::vector<std::string>{"k1"}));
  const auto entries = doc.Entries("B");
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].first, "K2");
  EXPECT_EQ(entries[0].second, "2");
  EXPECT_TRUE(doc.Keys("missing").empty());
}

struct WriteCase {
  const char* name;
  std::string before;
  const char* section;
  const char* key;
  const char* value;
  std::string after;
};
void PrintTo(const WriteCase& c, std::ostream* os) {
  *os << c.name;
}

// Writes keep every line they do not change, byte for byte.
class IniWrite : public testing::TestWithParam<WriteCase> {};

TEST_P(IniWrite, ChangesOnlyWhatItMust) {
  const WriteCase& c = GetParam();
  auto doc = IniDocument::Parse(c.before);
  ASSERT_TRUE(doc.Set(c.section, c.key, c.value));
  EXPECT_EQ(doc.Serialize(), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniWrite,
    testing::Values(
        WriteCase{"NewFile", "", "S", "K", "v", "[S]\r\nK=v\r\n"},
        WriteCase{"ReplaceInPlaceKeepsSpelling", "; c\r\n[ sEc ]\r\n  kEy = old ; x\r\nz=1\r\n", "SEC", "KEY",
                  "new", "; c\r\n[ sEc ]\r\nkEy=new\r\nz=1\r\n"},
        WriteCase{"MissingKeyAfterLastKey", "[S]\r\nA=1\r\n\r\n; tail\r\n[T]\r\nB=2\r\n", "S", "C", "3",
                  "[S]\r\nA=1\r\nC=3\r\n\r\n; tail\r\n[T]\r\nB=2\r\n"},
        WriteCase{"MissingKeyInEmptySection", "[S]\r\n[T]\r\n", "S", "C", "3", "[S]\r\nC=3\r\n[T]\r\n"},
        WriteCase{"MissingSectionAtEnd", "[S]\r\nA=1\r\n", "T", "B", "2", "[S]\r\nA=1\r\n[T]\r\nB=2\r\n"},
        WriteCase{"LfFileStaysLf", "[S]\nA=1\n", "S", "B", "2", "[S]\nA=1\nB=2\n"},
        WriteCase{"CrFileStaysCr", "[S]\rA=1\r", "T", "B", "2", "[S]\rA=1\r[T]\rB=2\r"},
        WriteCase{"UnterminatedLastLine", "[S]\r\nA=1", "S", "B", "2", "[S]\r\nA=1\r\nB=2\r\n"},
        WriteCase{"UnterminatedLastKeyReplaced", "[S]\r\nA=1", "S", "A", "2", "[S]\r\nA=2"},
        WriteCase{"BomKept", "\xEF\xBB\xBF[S]\r\nA=1\r\n", "S", "A", "2", "\xEF\xBB\xBF[S]\r\nA=2\r\n"},
        WriteCase{"FirstDuplicateSectionWritten", "[S]\r\nA=1\r\n[S]\r\nA=9\r\n", "s", "a", "2",
                  "[S]\r\nA=2\r\n[S]\r\nA=9\r\n"},
        WriteCase{"FirstDuplicateKeyWritten", "[S]\r\nA=1\r\nA=9\r\n", "S", "A", "2",
                  "[S]\r\nA=2\r\nA=9\r\n"},
        WriteCase{"ValueWrittenRaw", "", "S", "K", "  'x' ", "[S]\r\nK=  'x' \r\n"},
        WriteCase{"NamesTrimmed", "", " S ", " K ", "v", "[S]\r\nK=v\r\n"},
        WriteCase{"EmptyValue", "[S]\r\nK=v\r\n", "S", "K", "", "[S]\r\nK=\r\n"},
        WriteCase{"UndecodableLineKept", "[S]\r\nX=\xFF\xFF\r\n", "S", "A", "1",
                  "[S]\r\nX=\xFF\xFF\r\nA=1\r\n"},
        WriteCase{"Chinese", "", "说明", "名称", "澄岳", "[说明]\r\n名称=澄岳\r\n"}),
    [](const testing::TestParamInfo<WriteCase>& info) { return info.param.name; });

TEST(IniWrite, GbkLinesBecomeUtf8) {
  const auto gbk = EncodeGbk("[S]\r\nA=中文\r\n");
  ASSERT_TRUE(gbk);
  auto doc = IniDocument::Parse(*gbk);
  ASSERT_TRUE(doc.Set("S", "B", "新"));
  EXPECT_EQ(doc.Serialize(), "[S]\r\nA=中文\r\nB=新\r\n");
}

TEST(IniWrite, ReadsBackWhatItWrote) {
  IniDocument doc;
  ASSERT_TRUE(doc.Set("S", "A", "1"));
  ASSERT_TRUE(doc.Set("S", "B", "2"));
  ASSERT_TRUE(doc.Set("s", "a", "3"));
  const auto again = IniDocument::Parse(doc.Serialize());
  EXPECT_EQ(again.Get("S", "A"), "3");
  EXPECT_EQ(again.Get("S", "B"), "2");
}

struct RefusedCase {
  const char* name;
  std::string section;
  std::string key;
  std::string value;
};
void PrintTo(const RefusedCase& c, std::ostream* os) {
  *os << c.name;
}

// A write that would add lines or change the file's structure is refused,
// and nothing changes: not the file, not its absence.
class IniInjection : public testing::TestWithParam<RefusedCase> {};

TEST_P(IniInjection, IsRefusedAndChangesNothing) {
  const RefusedCase& c = GetParam();
  test::TempDir dir;
  const std::string before = "; keep\r\n[S]\r\nK=1\r\n";
  const auto path = dir.Write("a.ini", before);
  EXPECT_FALSE(IniWriteValue(path, c.section, c.key, c.value));
  EXPECT_EQ(dir.Read("a.ini"), before);

  EXPECT_FALSE(IniWriteValue(dir.Path("new.ini"), c.section, c.key, c.value));
  EXPECT_FALSE(dir.Exists("new.ini"));

  auto doc = IniDocument::Parse(before);
  EXPECT_FALSE(doc.Set(c.section, c.key, c.value));
  EXPECT_EQ(doc.Serialize(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniInjection,
    testing::Values(RefusedCase{"ValueCrLf", "S", "K", "x\r\n[Evil]\r\nK=2"},
                    RefusedCase{"ValueLf", "S", "K", "x\nEvil=1"},
                    RefusedCase{"ValueCr", "S", "K", "x\rEvil=1"},
                    RefusedCase{"ValueNul", "S", "K", std::string("x\0y", 3)},
                    RefusedCase{"ValueNotUtf8", "S", "K", "\xFF\xFE"},
                    RefusedCase{"SectionBracket", "S]\r\n", "K", "v"},
                    RefusedCase{"SectionClose", "a]b", "K", "v"},
                    RefusedCase{"SectionEquals", "a=b", "K", "v"}, RefusedCase{"SectionLf", "a\nb", "K", "v"},
                    RefusedCase{"SectionEmpty", "  ", "K", "v"}, RefusedCase{"KeyEquals", "S", "a=b", "v"},
                    RefusedCase{"KeyBracket", "S", "a]", "v"}, RefusedCase{"KeyOpensSection", "S", "[T", "v"},
                    RefusedCase{"KeyIsComment", "S", " ;K", "v"}, RefusedCase{"KeyCr", "S", "a\rb", "v"},
                    RefusedCase{"KeyEmpty", "S", "", "v"}, RefusedCase{"KeyNotUtf8", "S", "\xC0\x80", "v"}),
    [](const testing::TestParamInfo<RefusedCase>& info) { return info.param.name; });

TEST(IniFile, WriteCreatesFileWithCrlf) {
  test::TempDir dir;
  ASSERT_TRUE(IniWriteValue(dir.Path("n.ini"), "S", "K", "v"));
  ASSERT_TRUE(IniWriteValue(dir.Path("n.ini"), "S", "L", "w"));
  EXPECT_EQ(dir.Read("n.ini"), "[S]\r\nK=v\r\nL=w\r\n");
  EXPECT_EQ(IniReadValue(dir.Path("n.ini"), "s", "l"), "w");
}

TEST(IniFile, MissingOrNonFileReadsNothingAndIsNotWritten) {
  test::TempDir dir;
  ::mkdir(dir.Path("folder.ini").c_str(), 0755);
  ASSERT_EQ(::mkfifo(dir.Path("fifo.ini").c_str(), 0644), 0);
  for (const char* name : {"missing.ini", "folder.ini", "fifo.ini", "no/such/folder.ini"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(IniReadValue(dir.Path(name), "S", "K"), std::nullopt);
    EXPECT_FALSE(IniLoad(dir.Path(name)).has_value());
  }
  EXPECT_FALSE(IniWriteValue(dir.Path("folder.ini"), "S", "K", "v"));
  EXPECT_FALSE(IniWriteValue(dir.Path("fifo.ini"), "S", "K", "v"));
  EXPECT_FALSE(IniWriteValue(dir.Path("no/such/folder.ini"), "S", "K", "v"));
}

TEST(IniFile, MangledFilesDoNotCrash) {
  // Binary junk, NULs, a very long line, brackets and equals signs alone:
  // reads give what is there, and a write adds its value without losing
  // the rest (junk lines may be GBK text, which is rewritten as UTF-8).
  test::TempDir dir;
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 7919) % 256);
  const std::string longValue(1 << 20, 'x');
  struct Mangled {
    std::string bytes;
    bool keptVerbatim;
  };
  for (const Mangled& m :
       {Mangled{junk, false}, Mangled{std::string(1000, '\0'), true},
        Mangled{"[S]\r\nA=" + longValue + "\r\n", true}, Mangled{"[\r\n]\r\n=\r\n[=]\r\n", true}}) {
    const auto path = dir.Write("m.ini", m.bytes);
    (void)IniReadValue(path, "S", "A");
    ASSERT_TRUE(IniWriteValue(path, "Z", "k", "v"));
    if (m.keptVerbatim) {
      EXPECT_EQ(dir.Read("m.ini").compare(0, m.bytes.size(), m.bytes), 0);
    }
    EXPECT_EQ(IniReadValue(path, "Z", "k"), "v");
  }
  EXPECT_EQ(IniReadValue(dir.Write("l.ini", "[S]\r\nA=" + longValue + "\r\n"), "S", "A"), longValue);
}

TEST(IniFile, UpdateAppliesSeveralChangesOrNone) {
  test::TempDir dir;
  const auto path = dir.Write("u.ini", "[S]\r\nA=1\r\n");
  EXPECT_TRUE(
      IniUpdate(path, [](IniDocument& doc) { return doc.Set("S", "A", "2") && doc.Set("T", "B", "3"); }));
  EXPECT_EQ(dir.Read("u.ini"), "[S]\r\nA=2\r\n[T]\r\nB=3\r\n");
  EXPECT_FALSE(
      IniUpdate(path, [](IniDocument& doc) { return doc.Set("S", "A", "4") && doc.Set("T", "B", "x\n"); }));
  EXPECT_EQ(dir.Read("u.ini"), "[S]\r\nA=2\r\n[T]\r\nB=3\r\n");
}

}  // namespace
}  // namespace zq
