#include "platform/Ini.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace zq {
namespace {

TEST(IniDocument, ReadsWindowsFormattedFile) {
  const auto doc = IniDocument::Parse("[ Count ]\r\n MaxID = 3 \r\n;x=1\r\n[count]\r\nMaxID=9\r\n");
  EXPECT_EQ(doc.Get("COUNT", "maxid"), "3");
  EXPECT_EQ(doc.Get("Count", "x"), std::nullopt);
}

TEST(IniDocument, WriteKeepsOtherLines) {
  test::TempDir dir;
  const auto path = dir.Write("a.ini", "; note\r\n[S]\r\nK=1\r\nL=2\r\n");
  ASSERT_TRUE(IniWriteValue(path, "s", "k", "new"));
  ASSERT_TRUE(IniWriteValue(path, "S", "M", "3"));
  ASSERT_TRUE(IniWriteValue(path, "T", "a", "b"));
  EXPECT_EQ(dir.Read("a.ini"), "; note\r\n[S]\r\nK=new\r\nL=2\r\nM=3\r\n[T]\r\na=b\r\n");
  EXPECT_FALSE(IniWriteValue(path, "S", "K", "x\r\n[Evil]"));
}

}  // namespace
}  // namespace zq
