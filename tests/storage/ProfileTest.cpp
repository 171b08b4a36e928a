#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "platform/ProgramFolder.h"
#include "storage/Profile.h"
#include "support/TempDir.h"

namespace zq {
namespace {

TEST(GetAppFilePath, AddsOneSeparator) {
  SetProgramFolder("/opt/zq");
  EXPECT_EQ(GetAppFilePath("Settings.ini"), "/opt/zq/Settings.ini");
  EXPECT_EQ(GetAppFilePath("quarantine/"), "/opt/zq/quarantine/");
  SetProgramFolder("/");
  EXPECT_EQ(GetAppFilePath("Settings.ini"), "/Settings.ini");
  SetProgramFolder("");
  EXPECT_EQ(GetAppFilePath("G.sig"), ProgramFolder() + "/G.sig");
}

TEST(TrimAtNull, CutsAtFirstNulAndTrimsSpacesOnly) {
  struct Case {
    std::string in;
    std::string out;
  };
  const Case cases[] = {
      {std::string("abc\0def", 7), "abc"},
      {std::string("\0abc", 4), ""},
      {" a b ", "a b"},
      {"  abc", "abc"},
      {"\tabc\t", "\tabc\t"},  // only code 32 is trimmed
      {std::string(" x \0 y ", 7), "x"},
      {"", ""},
      {"   ", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(TrimAtNull(c.in), c.out) << testing::PrintToString(c.in);
}

struct ValueCase {
  const char* name;
  std::string stored;  // text after "K=" in the file
  std::string read;
};
void PrintTo(const ValueCase& c, std::ostream* os) {
  *os << c.name;
}

class ReadIniValueCase : public testing::TestWithParam<ValueCase> {};

TEST_P(ReadIniValueCase, ReadsAsTheProgramSeesIt) {
  test::TempDir dir;
  const auto path = dir.Write("v.ini", "[S]\r\nK=" + GetParam().stored + "\r\n");
  EXPECT_EQ(ReadIniValue(path, "S", "K"), GetParam().read);
}

const std::string k300(300, 'v');

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadIniValueCase,
    testing::Values(ValueCase{"Empty", "", ""}, ValueCase{"SpacesAround", "  abc  ", "abc"},
                    ValueCase{"OnlySpaces", "     ", ""}, ValueCase{"QuotedSpaces", "\"  abc  \"", "abc"},
                    ValueCase{"Exactly254", std::string(254, 'v'), std::string(254, 'v')},
                    ValueCase{"Cut300To254", std::string(300, 'v'), std::string(254, 'v')},
                    ValueCase{"CutThenTrimmed", std::string(253, 'v') + " tail", std::string(253, 'v')},
                    // "中" is three bytes: after one 'a', 84 of them fill 253 bytes and the
                    // 85th, crossing the 254-byte limit, is dropped whole.
                    ValueCase{"CutOnCharacterBoundary", "a" + Repeat("中", 100), "a" + Repeat("中", 84)},
                    ValueCase{"ChineseFitsExactly", "ab" + Repeat("中", 84), "ab" + Repeat("中", 84)},
                    ValueCase{"NulEndsValue", std::string("ab\0cd", 5), "ab"}),
    [](const testing::TestParamInfo<ValueCase>& info) { return info.param.name; });

TEST(ReadIniValue, EverythingMissingReadsEmpty) {
  test::TempDir dir;
  const auto path = dir.Write("v.ini", "[S]\r\nK=1\r\n");
  EXPECT_EQ(ReadIniValue(path, "S", "K"), "1");
  EXPECT_EQ(ReadIniValue(path, "S", "Other"), "");
  EXPECT_EQ(ReadIniValue(path, "T", "K"), "");
  EXPECT_EQ(ReadIniValue(dir.Path("missing.ini"), "S", "K"), "");
  EXPECT_EQ(ReadIniValue(dir.path(), "S", "K"), "");  // a folder
  EXPECT_EQ(ReadIniValue(dir.Path("no/folder/v.ini"), "S", "K"), "");
}

TEST(WriteIniValue, StoresAtOnceAndReportsFailure) {
  test::TempProgramFolder folder;
  const auto path = GetAppFilePath("Settings.ini");
  EXPECT_TRUE(WriteIniValue(path, "History", "LastScanFiles", "12"));
  EXPECT_EQ(ReadIniValue(path, "History", "LastScanFiles"), "12");
  EXPECT_TRUE(WriteIniValue(path, "History", "LastScanFiles", "13"));
  EXPECT_EQ(ReadIniValue(path, "history", "lastscanfiles"), "13");
  EXPECT_EQ(folder.Read("Settings.ini"), "[History]\r\nLastScanFiles=13\r\n");
  EXPECT_FALSE(WriteIniValue(path, "History", "LastScanFiles", "1\r\n[Normal]\r\nAutoRun=1"));
  EXPECT_FALSE(WriteIniValue(GetAppFilePath("missing/Settings.ini"), "S", "K", "v"));
  EXPECT_EQ(ReadIniValue(path, "History", "LastScanFiles"), "13");
  // A long value is stored whole; only reading cuts it.
  EXPECT_TRUE(WriteIniValue(path, "S", "Long", k300));
  EXPECT_NE(folder.Read("Settings.ini").find(k300), std::string::npos);
  EXPECT_EQ(ReadIniValue(path, "S", "Long"), std::string(254, 'v'));
}

}  // namespace
}  // namespace zq
