#include <gtest/gtest.h>

#include "platform/GuardProtocol.h"

namespace zq {
namespace {

TEST(GuardProtocol, FrameSurvivesByteByByteDelivery) {
  const GuardFrame sent{GuardFrameType::kRequest, 0x01020304, BuildStartPayload("/opt/a b/x", "")};
  const std::string wire = EncodeGuardFrame(sent) + EncodeGuardNumberFrame(GuardFrameType::kReply, 7, 915);
  GuardFrameReader reader;
  std::vector<GuardFrame> got;
  for (char c : wire) {
    EXPECT_GE(reader.BytesWanted(), 1u);
    reader.Append(std::string_view(&c, 1));
    while (auto f = reader.Next()) got.push_back(*f);
  }
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].type, GuardFrameType::kRequest);
  EXPECT_EQ(got[0].id, 0x01020304u);
  EXPECT_EQ(got[0].payload, "/opt/a b/x$$");
  EXPECT_EQ(got[1].type, GuardFrameType::kReply);
  EXPECT_EQ(got[1].id, 7u);
  EXPECT_EQ(GuardFrameNumber(got[1]), 915u);
  EXPECT_TRUE(reader.Empty());
  EXPECT_FALSE(reader.Failed());
}

TEST(GuardProtocol, BytesWantedStopsAtTheEndOfTheFrame) {
  const std::string wire = EncodeGuardFrame({GuardFrameType::kTaken, 1, "abc"});
  GuardFrameReader reader;
  EXPECT_EQ(reader.BytesWanted(), 4u);
  reader.Append(wire.substr(0, 6));
  EXPECT_EQ(reader.BytesWanted(), wire.size() - 6);
}

TEST(GuardProtocol, BrokenStreamsFailForGood) {
  struct Case {
    const char* name;
    std::string bytes;
  };
  const std::string tooLong = std::string("\xff\xff\x01\x00", 4) + std::string(5, '\4');
  const std::string tooShort = std::string("\x02\x00\x00\x00\x04\x00", 6);
  std::string unknownType = EncodeGuardFrame({GuardFrameType::kTaken, 1, {}});
  unknownType[4] = 42;
  const Case cases[] = {
      {"oversized length", tooLong}, {"length below header", tooShort}, {"unknown type", unknownType}};
  for (const auto& c : cases) {
    GuardFrameReader reader;
    reader.Append(c.bytes);
    EXPECT_FALSE(reader.Next()) << c.name;
    EXPECT_TRUE(reader.Failed()) << c.name;
    reader.Append(EncodeGuardFrame({GuardFrameType::kTaken, 2, {}}));
    EXPECT_FALSE(reader.Next()) << c.name << ": a failed stream must not resynchronise";
  }
}

TEST(GuardProtocol, NumberNeedsExactlyFourBytes) {
  EXPECT_FALSE(GuardFrameNumber({GuardFrameType::kReply, 1, "abc"}));
  EXPECT_FALSE(GuardFrameNumber({GuardFrameType::kReply, 1, "abcde"}));
  EXPECT_EQ(GuardFrameNumber({GuardFrameType::kReply, 1, std::string("\x93\x03\0\0", 4)}), 915u);
}

}  // namespace
}  // namespace zq
