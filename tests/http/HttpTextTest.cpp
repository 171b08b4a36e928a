#include <gtest/gtest.h>

#include <string>

#include "platform/Http.h"

namespace zq {
namespace {

TEST(PercentEncodeTest, EncodesEverythingButUnreservedCharacters) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"", ""},
      {"0123456789abcdefABCDEF", "0123456789abcdefABCDEF"},
      {"a-b.c_d~e", "a-b.c_d~e"},
      {"a b", "a%20b"},
      {"R&D#1?x=y+z%", "R%26D%231%3Fx%3Dy%2Bz%25"},
      {"/home/u/My Docs/a.exe", "%2Fhome%2Fu%2FMy%20Docs%2Fa.exe"},
      {"C:\\病毒", "C%3A%5C%E7%97%85%E6%AF%92"},
  };
  for (const auto& c : cases) EXPECT_EQ(PercentEncode(c.in), c.out) << c.in;
}

TEST(EscapeUrlUnsafeTest, EscapesOnlyWhatCanNeverStandRaw) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"http://h:1/p?a=1&b=%41#f", "http://h:1/p?a=1&b=%41#f"},
      {"http://h/a b", "http://h/a%20b"},
      {"http://h/文", "http://h/%E6%96%87"},
      {"http://h/\"<>\\^`{|}", "http://h/%22%3C%3E%5C%5E%60%7B%7C%7D"},
      {"http://h/\t\r\n", "http://h/%09%0D%0A"},
  };
  for (const auto& c : cases) EXPECT_EQ(EscapeUrlUnsafe(c.in), c.out) << c.in;
}

TEST(FindRawHeaderTest, FindsHeaderLinesByNameOnly) {
  const std::string raw(
      "HTTP/1.1 200 OK Content-Length: 9\0"
      "X-Content-Length: 7\0"
      "content-length:  42 \0"
      "Content-Length: 43\0"
      "Server: loopback\0"
      "Empty:\0",
      118);
  EXPECT_EQ(FindRawHeader(raw, "Content-Length").value_or("-"), "42");
  EXPECT_EQ(FindRawHeader(raw, "SERVER").value_or("-"), "loopback");
  EXPECT_EQ(FindRawHeader(raw, "Empty").value_or("-"), "");
  EXPECT_FALSE(FindRawHeader(raw, "Date"));
  EXPECT_FALSE(FindRawHeader(raw, "HTTP/1.1 200 OK Content-Length"));
  EXPECT_FALSE(FindRawHeader("", "Server"));
}

}  // namespace
}  // namespace zq
