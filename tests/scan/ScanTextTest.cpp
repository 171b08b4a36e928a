#include <gtest/gtest.h>

#include "scan/ScanText.h"

namespace zq {
namespace {

TEST(ScanTextTest, ExecutableExtensionsOnTheLastFourCharacters) {
  const struct {
    const char* path;
    bool examined;
  } cases[] = {
      {"/d/SETUP.EXE", true},
      {"/d/x.Dll", true},
      {"/d/a.com", true},
      {"/d/b.OCX", true},
      {"/d/c.scr", true},
      {"/d/.hidden.exe", true},
      {".exe", true},
      {"/d/readme.txt", false},
      {"/d/a.exe.bak", false},
      {"/d/exe", false},
      {"/d/aexe", false},
      {"exe", false},
      {"", false},
      {"/d/a.exe ", false},
      {"/d/a.exes", false},
  };
  for (const auto& c : cases) EXPECT_EQ(HasExecutableExtension(c.path), c.examined) << c.path;
}

TEST(ScanTextTest, NowScanningLabelKeepsSixtyCharactersAndShortensLongerPaths) {
  const std::string sixty(60, 'a');
  EXPECT_EQ(ShortenForLabel(sixty), sixty);

  std::string sixtyOne;
  for (int i = 0; i < 61; ++i) sixtyOne += static_cast<char>('A' + i % 26);
  const std::string shown = ShortenForLabel(sixtyOne);
  EXPECT_EQ(shown, sixtyOne.substr(0, 47) + "..." + sixtyOne.substr(51));
  EXPECT_EQ(shown.size(), 60u);
}

TEST(ScanTextTest, NowScanningLabelCountsCharactersNotBytes) {
  // 40 Chinese characters are 120 bytes but only 40 characters: shown whole.
  std::string forty;
  for (int i = 0; i < 40; ++i) forty += "病";
  EXPECT_EQ(ShortenForLabel(forty), forty);

  // 61 characters: cut between characters, never inside one.
  std::string sixtyOne;
  for (int i = 0; i < 61; ++i) sixtyOne += "毒";
  std::string expected;
  for (int i = 0; i < 47; ++i) expected += "毒";
  expected += "...";
  for (int i = 0; i < 10; ++i) expected += "毒";
  EXPECT_EQ(ShortenForLabel(sixtyOne), expected);

  // Stray bytes of a non-UTF-8 name count one each and survive unchanged.
  const std::string stray = std::string(70, '\xB2');
  EXPECT_EQ(ShortenForLabel(stray), std::string(47, '\xB2') + "..." + std::string(10, '\xB2'));
}

TEST(ScanTextTest, TimeUsedIsHoursMinutesSeconds) {
  EXPECT_EQ(FormatTimeUsed(0), "0:00:00");
  EXPECT_EQ(FormatTimeUsed(65), "0:01:05");
  EXPECT_EQ(FormatTimeUsed(3600 + 59 * 60 + 59), "1:59:59");
  EXPECT_EQ(FormatTimeUsed(25 * 3600 + 1), "25:00:01");
  EXPECT_EQ(FormatTimeUsed(-5), "0:00:00");
}

TEST(ScanTextTest, DoubledSeparatorsCollapseInPairs) {
  EXPECT_EQ(CollapseSeparators("/mnt/data//sub/a.exe"), "/mnt/data/sub/a.exe");
  EXPECT_EQ(CollapseSeparators("//a//b"), "/a/b");
  EXPECT_EQ(CollapseSeparators("/a///b"), "/a//b");  // pairs, as a text replace does
  EXPECT_EQ(CollapseSeparators("/a/b"), "/a/b");
}

TEST(ScanTextTest, TrailingSeparatorAddedOnce) {
  EXPECT_EQ(WithTrailingSeparator("/a"), "/a/");
  EXPECT_EQ(WithTrailingSeparator("/a/"), "/a/");
  EXPECT_EQ(WithTrailingSeparator(""), "/");
}

TEST(ScanTextTest, RightClickVerdictIsSafeForEmptyOrSingleCharacterNames) {
  EXPECT_EQ(RightClickVerdict(""), "安全");
  EXPECT_EQ(RightClickVerdict("X"), "安全");
  EXPECT_EQ(RightClickVerdict("毒"), "安全");
  EXPECT_EQ(RightClickVerdict("Trojan.A"), "Trojan.A");
  EXPECT_EQ(RightClickVerdict("毒毒"), "毒毒");
}

}  // namespace
}  // namespace zq
