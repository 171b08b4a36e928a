#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <ostream>
#include <string>
#include <thread>

#include "platform/Http.h"
#include "support/http/LoopbackHttpServer.h"
#include "support/http/YieldProbe.h"

namespace zq {
namespace {

using namespace std::chrono_literals;
using test::HttpReply;
using test::LoopbackHttpServer;
using test::PatternBody;
using test::YieldProbe;
using Clock = std::chrono::steady_clock;

HttpRequestOptions FastOptions() {
  HttpRequestOptions o;
  o.userAgent = "Tester";
  o.limits.connect = 400ms;
  o.limits.stall = 400ms;
  return o;
}

// Reads the body in pieces of `block` until a short read.
std::string ReadAll(HttpGet& get, size_t block = 1024) {
  std::string body;
  std::string piece(block, '\0');
  while (true) {
    const size_t n = get.Read(piece.data(), block);
    body.append(piece, 0, n);
    if (n < block) return body;
  }
}

std::chrono::milliseconds Since(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

struct BodyCase {
  const char* name;
  HttpReply reply;
  size_t expectBytes;
  HttpEnd expectEnd;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const BodyCase& c, std::ostream* os) {
  *os << c.name;
}

HttpReply Reply(size_t size, HttpReply::Framing framing = HttpReply::Framing::kLength) {
  HttpReply r;
  r.body = PatternBody(size);
  r.framing = framing;
  r.pieceSize = 700;  // pieces that straddle the reader's blocks
  return r;
}

class HttpGetBodyTest : public testing::TestWithParam<BodyCase> {};

TEST_P(HttpGetBodyTest, DeliversTheBytesAndTellsHowTheBodyEnded) {
  const BodyCase& c = GetParam();
  LoopbackHttpServer server;
  server.Serve("/f", c.reply);
  HttpGet get;
  ASSERT_TRUE(get.Open(server.Url("/f"), FastOptions()));
  const std::string body = ReadAll(get);
  EXPECT_EQ(body.size(), c.expectBytes);
  EXPECT_EQ(body, c.reply.body.substr(0, c.expectBytes));
  EXPECT_EQ(get.End(), c.expectEnd);
}

HttpReply Declared(size_t size, long long declared) {
  HttpReply r = Reply(size);
  r.declaredLength = declared;
  return r;
}

HttpReply Cut(size_t size, size_t sent, HttpReply::Framing framing) {
  HttpReply r = Reply(size, framing);
  r.sendBytes = sent;
  return r;
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, HttpGetBodyTest,
    testing::Values(
        BodyCase{"Empty", Reply(0), 0, HttpEnd::kFramed},
        BodyCase{"TenBytes", Reply(10), 10, HttpEnd::kFramed},
        BodyCase{"TwoBlocks", Reply(2048), 2048, HttpEnd::kFramed},
        BodyCase{"Large", Reply(3'500'000), 3'500'000, HttpEnd::kFramed},
        BodyCase{"Chunked", Reply(5000, HttpReply::Framing::kChunked), 5000, HttpEnd::kFramed},
        BodyCase{"UntilClose", Reply(5000, HttpReply::Framing::kClose), 5000, HttpEnd::kUnframed},
        BodyCase{"ShorterThanDeclared", Declared(3000, 5000), 3000, HttpEnd::kFailed},
        BodyCase{"DroppedWithLength", Cut(5000, 2100, HttpReply::Framing::kLength), 2100, HttpEnd::kFailed},
        BodyCase{"DroppedChunked", Cut(5000, 2100, HttpReply::Framing::kChunked), 2100, HttpEnd::kFailed}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HttpGetTest, RawHeadersAreNulEndedLinesOfTheFinalResponse) {
  LoopbackHttpServer server;
  HttpReply moved;
  moved.status = 302;
  moved.headers = {{"Location", "/there"}, {"X-First", "1"}};
  server.Serve("/here", moved);
  HttpReply there = Reply(10);
  there.headers = {{"X-Test", "yes"}};
  server.Serve("/there", there);

  HttpGet get;
  ASSERT_TRUE(get.Open(server.Url("/here"), FastOptions()));
  const std::string& raw = get.RawHeaders();
  EXPECT_EQ(raw.rfind(std::string("HTTP/1.1 200 OK\0", 16), 0), 0u) << raw;
  EXPECT_NE(raw.find(std::string("\0X-Test: yes\0", 13)), std::string::npos);
  EXPECT_NE(raw.find(std::string("\0Content-Length: 10\0", 20)), std::string::npos);
  EXPECT_EQ(raw.find("X-First"), std::string::npos);
  EXPECT_EQ(raw.find_first_of("\r\n"), std::string::npos);
  EXPECT_EQ(raw.back(), '\0');
  EXPECT_EQ(get.Status(), 200);
  EXPECT_EQ(ReadAll(get), there.body);
}

TEST(HttpGetTest, ErrorStatusStillOpensAndShowsItsPage) {
  LoopbackHttpServer server;
  HttpGet get;
  ASSERT_TRUE(get.Open(server.Url("/missing"), FastOptions()));
  EXPECT_EQ(get.Status(), 404);
  EXPECT_NE(ReadAll(get).find("404"), std::string::npos);
}

TEST(HttpGetTest, SendsTheAgentNameAndEscapesUnsafeBytes) {
  LoopbackHttpServer server;
  server.Serve("/a b", Reply(1));
  HttpGet get;
  ASSERT_TRUE(get.Open(server.Url("/a b?x=中"), FastOptions()));
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].line, "GET /a%20b?x=%E4%B8%AD HTTP/1.1");
  EXPECT_EQ(requests[0].userAgent, "Tester");
  EXPECT_EQ(get.Status(), 200);
}

TEST(HttpGetTest, ReadFillsTheWholeBlockFromASlowTrickle) {
  LoopbackHttpServer server;
  HttpReply r = Reply(2500);
  r.pieceSize = 100;
  r.pieceDelay = 1ms;
  server.Serve("/slow", r);
  HttpGet get;
  ASSERT_TRUE(get.Open(server.Url("/slow"), FastOptions()));
  std::string block(1024, '\0');
  EXPECT_EQ(get.Read(block.data(), 1024), 1024u);
  EXPECT_EQ(get.Read(block.data(), 1024), 1024u);
  EXPECT_EQ(get.Read(block.data(), 1024), 452u);
  EXPECT_EQ(get.Read(block.data(), 1024), 0u);
}

TEST(HttpGetTest, RefusedConnectionFailsToOpen) {
  HttpGet get;
  EXPECT_FALSE(get.Open("http://127.0.0.1:" + std::to_string(test::ClosedPort()) + "/x", FastOptions()));
  EXPECT_EQ(get.End(), HttpEnd::kFailed);
  char c;
  EXPECT_EQ(get.Read(&c, 1), 0u);
}

TEST(HttpGetTest, MalformedAddressFailsToOpen) {
  for (const char* url : {"", "nonsense", "ftp://127.0.0.1/x", "http://"}) {
    HttpGet get;
    EXPECT_FALSE(get.Open(url, FastOptions())) << url;
  }
}

TEST(HttpGetTest, OversizeHeadersFailToOpen) {
  LoopbackHttpServer server;
  HttpReply r = Reply(10);
  for (int i = 0; i < 200; ++i)
    r.headers.emplace_back("X-Filler-" + std::to_string(i), std::string(400, 'x'));
  server.Serve("/big", r);
  HttpGet get;
  EXPECT_FALSE(get.Open(server.Url("/big"), FastOptions()));
}

// A server that takes the request and never answers: the call gives up at the
// silence limit and the event loop kept its turns meanwhile.
TEST(HttpGetTest, UnansweredRequestGivesUpAtTheSilenceLimitWhileYielding) {
  LoopbackHttpServer server;
  HttpReply r;
  r.neverReply = true;
  server.Serve("/never", r);
  YieldProbe probe;
  HttpGet get;
  const auto start = Clock::now();
  EXPECT_FALSE(get.Open(server.Url("/never"), FastOptions()));
  const auto took = Since(start);
  EXPECT_GE(took, 350ms);
  EXPECT_LT(took, 1500ms);
  EXPECT_EQ(get.End(), HttpEnd::kTimedOut);
  EXPECT_GT(probe.count(), 5);
  EXPECT_LT(probe.longestGap(), 250ms);
}

TEST(HttpGetTest, BodyThatFallsSilentEndsAtTheSilenceLimit) {
  LoopbackHttpServer server;
  HttpReply r = Reply(5000);
  r.sendBytes = 1500;
  r.then = HttpReply::Then::kHang;
  server.Serve("/stall", r);
  HttpGet get;
  ASSERT_TRUE(get.Open(server.Url("/stall"), FastOptions()));
  const auto start = Clock::now();
  EXPECT_EQ(ReadAll(get).size(), 1500u);
  EXPECT_LT(Since(start), 1500ms);
  EXPECT_EQ(get.End(), HttpEnd::kTimedOut);
}

TEST(HttpGetTest, TotalLimitStopsATransferThatKeepsTrickling) {
  LoopbackHttpServer server;
  HttpReply r = Reply(100000);
  r.pieceSize = 10;
  r.pieceDelay = 20ms;  // never silent for long, never done in time
  server.Serve("/trickle", r);
  HttpRequestOptions o = FastOptions();
  o.limits.total = 500ms;
  HttpGet get;
  const auto start = Clock::now();
  if (get.Open(server.Url("/trickle"), o)) ReadAll(get);
  EXPECT_LT(Since(start), 1500ms);
  EXPECT_EQ(get.End(), HttpEnd::kTimedOut);
}

TEST(HttpGetTest, ConnectLimitHoldsAgainstAPortThatNeverAccepts) {
  test::UnansweredPort port;
  if (!port.ok()) GTEST_SKIP() << "this system completes connections beyond a full accept queue";
  HttpRequestOptions o = FastOptions();
  o.limits.connect = 300ms;
  o.limits.stall = 5s;
  YieldProbe probe;
  HttpGet get;
  const auto start = Clock::now();
  EXPECT_FALSE(get.Open(port.Url("/x"), o));
  EXPECT_LT(Since(start), 2s);
  EXPECT_EQ(get.End(), HttpEnd::kTimedOut);
  EXPECT_LT(probe.longestGap(), 250ms);
}

TEST(HttpGetTest, CancelFromAYieldStopsTheWaitForHeaders) {
  LoopbackHttpServer server;
  HttpReply r;
  r.neverReply = true;
  server.Serve("/never", r);
  HttpGet get;
  int yields = 0;
  YieldProbe probe([&] {
    if (++yields == 5) get.Cancel();
  });
  HttpRequestOptions o = FastOptions();
  o.limits.stall = 10s;
  const auto start = Clock::now();
  EXPECT_FALSE(get.Open(server.Url("/never"), o));
  EXPECT_LT(Since(start), 500ms);
  EXPECT_EQ(get.End(), HttpEnd::kCancelled);
}

TEST(HttpGetTest, CloseFromAYieldDuringReadEndsTheReadSafely) {
  LoopbackHttpServer server;
  HttpReply r = Reply(50000);
  r.pieceSize = 1000;
  r.pieceDelay = 5ms;
  server.Serve("/slow", r);
  HttpGet get;
  ASSERT_TRUE(get.Open(server.Url("/slow"), FastOptions()));
  bool closeNow = false;
  YieldProbe probe([&] {
    if (closeNow) get.Close();
  });
  std::string block(20000, '\0');
  closeNow = true;
  EXPECT_LT(get.Read(block.data(), block.size()), block.size());
  EXPECT_EQ(get.End(), HttpEnd::kCancelled);
  EXPECT_EQ(get.Read(block.data(), block.size()), 0u);
}

TEST(HttpGetTest, CancelFromAnotherThreadStopsAWait) {
  LoopbackHttpServer server;
  HttpReply r;
  r.neverReply = true;
  server.Serve("/never", r);
  HttpGet get;
  HttpRequestOptions o = FastOptions();
  o.limits.stall = 10s;
  std::thread canceller([&] {
    std::this_thread::sleep_for(100ms);
    get.Cancel();
  });
  const auto start = Clock::now();
  EXPECT_FALSE(get.Open(server.Url("/never"), o));
  canceller.join();
  EXPECT_LT(Since(start), 1s);
}

TEST(HttpGetTest, OnlyOneOpenPerRequest) {
  LoopbackHttpServer server;
  server.Serve("/f", Reply(10));
  HttpGet get;
  ASSERT_TRUE(get.Open(server.Url("/f"), FastOptions()));
  EXPECT_FALSE(get.Open(server.Url("/f"), FastOptions()));
  EXPECT_EQ(ReadAll(get).size(), 10u);
}

}  // namespace
}  // namespace zq
