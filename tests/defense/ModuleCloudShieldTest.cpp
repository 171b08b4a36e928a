#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <string>

#include "defense/ModuleCloudShield.h"
#include "platform/Encoding.h"
#include "support/TempDir.h"
#include "support/http/LoopbackHttpServer.h"
#include "support/http/YieldProbe.h"

namespace zq {
namespace {

using namespace std::chrono_literals;
using test::HttpReply;
using test::QueryValue;
using Clock = std::chrono::steady_clock;

HttpReply Answer(std::string body, int status = 200) {
  HttpReply r;
  r.body = std::move(body);
  r.status = status;
  return r;
}

// A program folder whose Settings.ini points the cloud server at a loopback
// server; the limits are short unless a test wants the real ones.
class CloudShield : public testing::Test {
 protected:
  CloudShield() {
    folder.Write("Settings.ini", "[Server]\r\nCloudServer=" + server.Url() + "/\r\n");
    previous = SetCloudShieldLimits({300ms, 300ms, 1000ms});
  }
  ~CloudShield() override { SetCloudShieldLimits(previous); }

  std::string OnlyTarget() const {
    const auto requests = server.Requests();
    return requests.size() == 1 ? requests[0].target : "<" + std::to_string(requests.size()) + " requests>";
  }

  test::TempProgramFolder folder;
  test::LoopbackHttpServer server;
  HttpLimits previous;
};

struct AnswerCase {
  const char* name;
  HttpReply reply;
  const char* expected;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const AnswerCase& c, std::ostream* os) {
  *os << c.name;
}

class CloudAnswerTest : public CloudShield, public testing::WithParamInterface<AnswerCase> {};

TEST_P(CloudAnswerTest, OnlyTheCloudPrefixMakesAnAnswer) {
  server.Serve("/cloudsafe/ask.asp", GetParam().reply);
  EXPECT_EQ(QueryCloudShield(CloudAskPath("0123456789ABCDEF0123456789ABCDEF")), GetParam().expected);
}

HttpReply Chunked(std::string body) {
  HttpReply r = Answer(std::move(body));
  r.framing = HttpReply::Framing::kChunked;
  r.pieceSize = 3;
  return r;
}

HttpReply Truncated(std::string body, size_t sent) {
  HttpReply r = Answer(std::move(body));
  r.sendBytes = sent;
  return r;
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, CloudAnswerTest,
    testing::Values(AnswerCase{"Trusted", Answer("Cloud$1$可信的程序"), "1$可信的程序"},
                    AnswerCase{"Virus", Answer("Cloud$0$Trojan.Win32"), "0$Trojan.Win32"},
                    AnswerCase{"LowerCasePrefix", Answer("cLOUD$0$x"), "0$x"},
                    AnswerCase{"PrefixOnly", Answer("Cloud$"), ""},
                    AnswerCase{"ShorterThanPrefix", Answer("Clou"), ""}, AnswerCase{"Empty", Answer(""), ""},
                    AnswerCase{"OtherText", Answer("Error$1$x"), ""},
                    AnswerCase{"LeadingBlank", Answer(" Cloud$1$x"), ""},
                    AnswerCase{"ErrorPage", Answer("<html>Not Found</html>", 404), ""},
                    AnswerCase{"StatusNotLookedAt", Answer("Cloud$1$ok", 500), "1$ok"},
                    AnswerCase{"GbkAnswer", Answer("Cloud$0$" + EncodeGbk("病毒").value()), "0$病毒"},
                    AnswerCase{"Chunked", Chunked("Cloud$1$pieces"), "1$pieces"},
                    AnswerCase{"Truncated", Truncated("Cloud$0$Trojan", 9), ""},
                    AnswerCase{"Oversize", Answer("Cloud$1$" + std::string(200000, 'x')), ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CloudShield, AskRequestCarriesTheFingerprintAndTheAgentName) {
  server.Serve("/cloudsafe/ask.asp", Answer("Cloud$1$x"));
  QueryCloudShield(CloudAskPath("0123456789ABCDEF0123456789ABCDEF"));
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].line, "GET /cloudsafe/ask.asp?Hash=0123456789ABCDEF0123456789ABCDEF HTTP/1.1");
  EXPECT_EQ(requests[0].userAgent, "Dovecrest");
}

TEST_F(CloudShield, EmptyFingerprintStillAsks) {
  QueryCloudShield(CloudAskPath(""));
  EXPECT_EQ(OnlyTarget(), "/cloudsafe/ask.asp?Hash=");
}

TEST_F(CloudShield, DecisionReportArrivesWithThePathExactlyAsShown) {
  struct Case {
    bool allowed;
    bool remembered;
    const char* flag;
    const char* value;
  } cases[] = {
      {true, false, "A", "1"}, {true, true, "A", "10"}, {false, false, "B", "1"}, {false, true, "B", "10"}};
  const std::string path = "/home/用户/R&D #1/a b?c=d+e%20.exe";
  for (const auto& c : cases) {
    test::LoopbackHttpServer own;
    folder.Write("Settings.ini", "[Server]\r\nCloudServer=" + own.Url() + "\r\n");
    EXPECT_EQ(QueryCloudShield(CloudAnswerPath("ABC", path, c.allowed, c.remembered)), "");
    const auto requests = own.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const std::string& target = requests[0].target;
    EXPECT_EQ(target.rfind("/cloudsafe/answer.asp?Hash=ABC&File=", 0), 0u) << target;
    EXPECT_EQ(QueryValue(target, "Hash"), "ABC");
    EXPECT_EQ(QueryValue(target, "File"), path);
    EXPECT_EQ(QueryValue(target, "Flag"), c.flag);
    EXPECT_EQ(QueryValue(target, "Value"), c.value);
  }
}

TEST_F(CloudShield, MonitorReportCarriesTheVirusName) {
  HttpReply r = Answer("thanks");
  server.Serve("/monitor/", r);
  SendMonitorReport(MonitorReportPath("Worm.病毒 #2"));
  const std::string target = OnlyTarget();
  EXPECT_EQ(target.rfind("/monitor/?virus=", 0), 0u) << target;
  EXPECT_EQ(QueryValue(target, "virus"), "Worm.病毒 #2");
}

TEST_F(CloudShield, RawPathWithBlanksStillGoesOut) {
  server.Serve("/cloudsafe/ask.asp", Answer("Cloud$1$x"));
  EXPECT_EQ(QueryCloudShield("/cloudsafe/ask.asp?Hash=a b"), "1$x");
  EXPECT_EQ(OnlyTarget(), "/cloudsafe/ask.asp?Hash=a%20b");
}

TEST_F(CloudShield, WholeAddressIsUsedAsItIs) {
  test::LoopbackHttpServer other;
  other.Serve("/cloudsafe/ask.asp", Answer("Cloud$1$other"));
  EXPECT_EQ(QueryCloudShield(other.Url("/cloudsafe/ask.asp?Hash=1")), "1$other");
  EXPECT_TRUE(server.Requests().empty());
}

TEST_F(CloudShield, ServerAddressComesFromSettings) {
  EXPECT_EQ(CloudServerAddress(), server.Url());
  folder.Write("Settings.ini", "[Server]\r\nUpdateServer=http://elsewhere\r\n");
  EXPECT_EQ(CloudServerAddress(), "http://127.0.0.1:8080");
}

TEST_F(CloudShield, UnreachableServerGivesNoAnswer) {
  folder.Write("Settings.ini",
               "[Server]\r\nCloudServer=http://127.0.0.1:" + std::to_string(test::ClosedPort()) + "\r\n");
  EXPECT_EQ(QueryCloudShield(CloudAskPath("ABC")), "");
  SendMonitorReport(MonitorReportPath("X"));
}

TEST_F(CloudShield, AnswerThatKeepsTricklingIsCutAtTheTotalLimit) {
  HttpReply r = Answer("Cloud$1$" + std::string(2000, 'x'));
  r.pieceSize = 10;
  r.pieceDelay = 20ms;
  server.Serve("/cloudsafe/ask.asp", r);
  const auto start = Clock::now();
  EXPECT_EQ(QueryCloudShield(CloudAskPath("ABC")), "");
  EXPECT_LT(Clock::now() - start, 2s);
}

// With the shipped limits: a server that takes the question and never answers
// holds the caller five seconds at most, and the event loop keeps its turns.
TEST_F(CloudShield, SilentServerIsGivenUpAfterFiveSecondsWhileYielding) {
  SetCloudShieldLimits(previous);
  HttpReply r;
  r.neverReply = true;
  server.Serve("/cloudsafe/ask.asp", r);
  server.Serve("/monitor/", r);
  test::YieldProbe probe;
  const auto start = Clock::now();
  EXPECT_EQ(QueryCloudShield(CloudAskPath("ABC")), "");
  const auto took = Clock::now() - start;
  EXPECT_GE(took, 4900ms);
  EXPECT_LT(took, 6000ms);
  EXPECT_LT(probe.longestGap(), 250ms);
  EXPECT_GT(probe.count(), 20);
}

}  // namespace
}  // namespace zq
