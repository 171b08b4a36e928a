#include <gtest/gtest.h>

#include <string>

#include "platform/Encoding.h"

namespace zq {
namespace {

TEST(Utf8, ValidityMatchesTheStandard) {
  struct Case {
    std::string bytes;
    bool valid;
  };
  const Case cases[] = {
      {"", true},
      {"plain ascii", true},
      {"澄岳杀毒", true},
      {"\xF0\x9F\x98\x80", true},   // four-byte sequence
      {"\xC0\x80", false},          // overlong NUL
      {"\xE0\x80\xAF", false},      // overlong '/'
      {"\xED\xA0\x80", false},      // surrogate half
      {"\xF4\x90\x80\x80", false},  // above U+10FFFF
      {"\xE6\xBE", false},          // cut short
      {"\x80", false},              // lone continuation byte
      {"\xFF", false},              // never in UTF-8
      {"\xD6\xD0\xCE\xC4", false},  // GBK for 中文
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << testing::PrintToString(c.bytes);
  }
}

TEST(LegacyText, Utf8StaysGbkIsDecodedOtherIsRefused) {
  EXPECT_EQ(DecodeLegacyText("C:\\病毒.exe"), "C:\\病毒.exe");
  EXPECT_EQ(DecodeLegacyText("\xD6\xD0\xCE\xC4"), "中文");
  EXPECT_EQ(DecodeLegacyText("ab\xB2\xA1\xB6\xBE"), "ab病毒");
  // A lead byte without its second byte, and a byte GBK never uses.
  EXPECT_EQ(DecodeLegacyText("\xD6"), std::nullopt);
  EXPECT_EQ(DecodeLegacyText("a\xFF"), std::nullopt);
}

TEST(LegacyText, GbkRoundTrip) {
  const std::string text = "澄岳杀毒 经典蓝 检测到病毒处理方式：隔离";
  const auto gbk = EncodeGbk(text);
  ASSERT_TRUE(gbk);
  EXPECT_FALSE(IsValidUtf8(*gbk));
  EXPECT_EQ(gbk->size(), 2 * 19 + 2);  // two bytes per Chinese character, two spaces
  EXPECT_EQ(DecodeLegacyText(*gbk), text);
}

TEST(LegacyText, EncodeGbkRefusesWhatGbkCannotHold) {
  EXPECT_EQ(EncodeGbk("\xF0\x9F\x98\x80"), std::nullopt);  // emoji
  EXPECT_EQ(EncodeGbk("\xFF"), std::nullopt);              // not UTF-8 to begin with
  EXPECT_EQ(EncodeGbk("ascii"), "ascii");
}

TEST(Utf8, PrefixNeverSplitsACharacter) {
  struct Case {
    std::string text;
    size_t max;
    size_t expected;
  };
  const Case cases[] = {
      {"abc", 5, 3}, {"abc", 3, 3},  {"abc", 2, 2},  {"a中", 3, 1},  // 中 takes bytes 1..3
      {"a中", 4, 4}, {"中中", 5, 3}, {"中中", 0, 0}, {"\xF0\x9F\x98\x80x", 3, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8PrefixLength(c.text, c.max), c.expected) << c.text << " max " << c.max;
  }
}

}  // namespace
}  // namespace zq
