#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "support/TempDir.h"
#include "support/http/LoopbackHttpServer.h"
#include "support/http/YieldProbe.h"
#include "update/UserControlUpdate.h"

namespace zq {
namespace {

using namespace std::chrono_literals;
using test::HttpReply;
using test::PatternBody;
using test::YieldProbe;

HttpReply Body(size_t size, HttpReply::Framing framing = HttpReply::Framing::kLength) {
  HttpReply r;
  r.body = PatternBody(size);
  r.framing = framing;
  r.pieceSize = 1500;
  return r;
}

// A control wired to a loopback server and a temporary folder, with the
// events it raised written down.
class Downloader : public testing::Test {
 protected:
  Downloader() {
    HttpLimits limits;
    limits.connect = 400ms;
    limits.stall = 400ms;
    control.SetLimits(limits);
    control.DownloadProcess = [this](std::int64_t& bytes) { progress.push_back(bytes); };
    control.DownLoadFinish = [this] { ++finished; };
    control.ErrorMassage = [this](std::string& text) { errors.push_back(text); };
    target = dir.Path("Virus.dat");
  }

  void Point(const std::string& path) {
    control.URL = server.Url(path);
    control.SaveFile = target;
  }

  // The whole calling order of the update window for one file.
  bool Fetch(const std::string& path) {
    Point(path);
    if (!control.Init()) return false;
    control.StartUpdate();
    return true;
  }

  std::string Bak() const { return dir.Read("Virus.dat.bak"); }

  test::TempDir dir;
  test::LoopbackHttpServer server;
  UserControlUpdate control;
  std::string target;
  std::vector<std::int64_t> progress;
  int finished = 0;
  std::vector<std::string> errors;
};

struct TransferCase {
  const char* name;
  HttpReply reply;
  bool replaced;
  std::vector<std::int64_t> progress;
  size_t bakBytes;  // left in the temporary file when not replaced
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const TransferCase& c, std::ostream* os) {
  *os << c.name;
}

class TransferTest : public Downloader, public testing::WithParamInterface<TransferCase> {};

TEST_P(TransferTest, ReplacesTheTargetOnlyWithACompleteBody) {
  const TransferCase& c = GetParam();
  server.Serve("/update/Virus.dat", c.reply);
  dir.Write("Virus.dat", "old content");
  ASSERT_TRUE(Fetch("/update/Virus.dat"));
  EXPECT_EQ(progress, c.progress);
  EXPECT_EQ(finished, 1);
  EXPECT_TRUE(errors.empty());
  EXPECT_FALSE(control.DownloadActive());
  if (c.replaced) {
    EXPECT_EQ(dir.Read("Virus.dat"), c.reply.body);
    EXPECT_FALSE(dir.Exists("Virus.dat.bak"));
  } else {
    EXPECT_EQ(dir.Read("Virus.dat"), "old content");
    EXPECT_EQ(Bak(), c.reply.body.substr(0, c.bakBytes));
  }
}

HttpReply Declared(size_t size, long long declared) {
  HttpReply r = Body(size);
  r.declaredLength = declared;
  return r;
}

HttpReply Cut(size_t size, size_t sent, HttpReply::Framing framing) {
  HttpReply r = Body(size, framing);
  r.sendBytes = sent;
  return r;
}

HttpReply Status(int status, size_t size) {
  HttpReply r = Body(size);
  r.status = status;
  return r;
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, TransferTest,
    testing::Values(
        TransferCase{"TwoFullBlocks", Body(2048), true, {1024, 2048, 2048}, 0},
        TransferCase{"TenBytes", Body(10), true, {10}, 0}, TransferCase{"Empty", Body(0), true, {0}, 0},
        TransferCase{"PartialLastBlock", Body(3000), true, {1024, 2048, 3000}, 0},
        TransferCase{"ShorterThanAnnounced", Declared(1500, 5000), false, {1024, 1500}, 1500},
        TransferCase{
            "DroppedMidBody", Cut(5000, 2100, HttpReply::Framing::kLength), false, {1024, 2048, 2100}, 2100},
        TransferCase{"ChunkedComplete",
                     Body(5000, HttpReply::Framing::kChunked),
                     true,
                     {1024, 2048, 3072, 4096, 5000},
                     0},
        TransferCase{
            "ChunkedDropped", Cut(5000, 2100, HttpReply::Framing::kChunked), false, {1024, 2048, 2100}, 2100},
        TransferCase{"EndedByClose", Body(1500, HttpReply::Framing::kClose), false, {1024, 1500}, 1500},
        TransferCase{"ErrorPage", Status(404, 100), false, {100}, 100},
        TransferCase{"ServerError", Status(500, 100), false, {100}, 100}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Downloader, RequestsWithTheAgentNameAndTrimsTheTargetName) {
  server.Serve("/update/Virus.dat", Body(10));
  Point("/update/Virus.dat");
  control.SaveFile = "  " + target + "  ";
  ASSERT_TRUE(control.Init());
  control.StartUpdate();
  EXPECT_EQ(dir.Read("Virus.dat"), PatternBody(10));
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].userAgent, "Fern");
  EXPECT_EQ(requests[0].line, "GET /update/Virus.dat HTTP/1.1");
}

TEST_F(Downloader, StaleTemporaryFileIsDeletedFirst) {
  server.Serve("/short", Declared(10, 20));
  dir.Write("Virus.dat.bak", std::string(5000, 'x'));
  ASSERT_TRUE(Fetch("/short"));
  EXPECT_EQ(Bak(), PatternBody(10));
  EXPECT_FALSE(dir.Exists("Virus.dat"));
}

TEST_F(Downloader, GetHeaderLooksUpTheListedHeaders) {
  HttpReply r = Body(10);
  r.headers = {{"Content-Type", "application/x-zq"},
               {"Server", "Loopback/1.0"},
               {"Last-Modified", "Tue, 01 Dec 2026 10:00:00 GMT"},
               {"Date", "Fri, 11 Dec 2026 11:00:00 GMT"},
               {"X-Content-Length", "99"},
               {"Accept-Ranges", "bytes"}};
  server.Serve("/f", r);
  Point("/f");
  ASSERT_TRUE(control.Init());
  struct Case {
    const char* name;
    const char* value;
  } cases[] = {
      {"Content-Length", "10"},
      {"content-length", "10"},
      {"CONTENT-TYPE", "application/x-zq"},
      {"Server", "Loopback/1.0"},
      {"last-modified", "Tue, 01 Dec 2026 10:00:00 GMT"},
      {"date", "Fri, 11 Dec 2026 11:00:00 GMT"},
      {"Accept-Ranges", "0"},
      {"X-Content-Length", "0"},
  };
  for (const auto& c : cases) EXPECT_EQ(control.GetHeader(c.name), c.value) << c.name;
  const std::string all = control.GetHeader("");
  EXPECT_EQ(all.rfind(std::string("HTTP/1.1 200 OK\0", 16), 0), 0u);
  EXPECT_NE(all.find(std::string("\0Accept-Ranges: bytes\0", 22)), std::string::npos);

  control.CancelDownload();
  EXPECT_EQ(control.GetHeader("Content-Length"), "0");
  EXPECT_EQ(control.GetHeader(""), "0");
}

TEST_F(Downloader, UnreachableServerReportsTheMessageAndWritesNothing) {
  control.URL = "http://127.0.0.1:" + std::to_string(test::ClosedPort()) + "/update/Virus.dat";
  control.SaveFile = target;
  EXPECT_FALSE(control.Init());
  EXPECT_EQ(errors, std::vector<std::string>{"无法连接到升级服务器。"});
  EXPECT_FALSE(control.DownloadActive());
  EXPECT_FALSE(control.StartUpdate());
  EXPECT_FALSE(dir.Exists("Virus.dat.bak"));
  EXPECT_EQ(finished, 0);
}

TEST_F(Downloader, SilentServerFailsInitWithinTheLimitWhileYielding) {
  HttpReply r;
  r.neverReply = true;
  server.Serve("/never", r);
  Point("/never");
  YieldProbe probe;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(control.Init());
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1500ms);
  EXPECT_EQ(errors, std::vector<std::string>{"无法连接到升级服务器。"});
  EXPECT_LT(probe.longestGap(), 250ms);
}

TEST_F(Downloader, CancelWhileWaitingForTheServerEndsInitQuietly) {
  HttpReply r;
  r.neverReply = true;
  server.Serve("/never", r);
  Point("/never");
  int yields = 0;
  YieldProbe probe([&] {
    if (++yields == 3) control.CancelDownload();
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(control.Init());
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
  EXPECT_TRUE(errors.empty());
  EXPECT_FALSE(control.DownloadActive());
}

TEST_F(Downloader, BodyThatFallsSilentEndsTheTransferWithoutReplacing) {
  HttpReply r = Body(5000);
  r.sendBytes = 1500;
  r.then = HttpReply::Then::kHang;
  server.Serve("/stall", r);
  dir.Write("Virus.dat", "old content");
  ASSERT_TRUE(Fetch("/stall"));
  EXPECT_EQ(finished, 1);
  EXPECT_EQ(dir.Read("Virus.dat"), "old content");
  EXPECT_EQ(Bak(), r.body.substr(0, 1500));
}

// Headers that just fit the 1024-byte buffer pass; one byte more fails Init
// without an event and nothing is downloaded.
TEST_F(Downloader, RawHeadersMustFitTheBuffer) {
  const auto rawSizeWith = [&](size_t filler) {
    HttpReply r = Body(10);
    r.headers = {{"X-Filler", std::string(filler, 'f')}};
    server.Serve("/h", r);
    Point("/h");
    const bool ok = control.Init();
    const size_t size = ok ? control.GetHeader("").size() : 0;
    control.CancelDownload();
    return std::make_pair(ok, size);
  };
  const auto [ok, base] = rawSizeWith(1);
  ASSERT_TRUE(ok);
  const size_t fits = 1 + (UserControlUpdate::kRawHeaderBufferSize - 1 - base);
  const auto [fitsOk, fitsSize] = rawSizeWith(fits);
  EXPECT_TRUE(fitsOk);
  EXPECT_EQ(fitsSize, UserControlUpdate::kRawHeaderBufferSize - 1);
  EXPECT_FALSE(rawSizeWith(fits + 1).first);
  // Beyond what the HTTP layer accepts at all: still no message, the server
  // was reached.
  for (const size_t huge : {70 * 1024, 200 * 1024}) EXPECT_FALSE(rawSizeWith(huge).first) << huge;
  EXPECT_TRUE(errors.empty());

  control.StartUpdate();
  EXPECT_FALSE(dir.Exists("Virus.dat.bak"));
  EXPECT_TRUE(progress.empty());
  EXPECT_EQ(finished, 0);
}

TEST_F(Downloader, CancelFromAnEventStopsAfterTheBlocksWrittenSoFar) {
  server.Serve("/ten", Body(10 * 1024));
  dir.Write("Virus.dat", "old content");
  control.DownloadProcess = [this](std::int64_t& bytes) {
    progress.push_back(bytes);
    if (bytes == 3072) control.CancelDownload();
  };
  ASSERT_TRUE(Fetch("/ten"));
  EXPECT_EQ(progress, (std::vector<std::int64_t>{1024, 2048, 3072}));
  EXPECT_EQ(finished, 0);
  EXPECT_EQ(Bak(), PatternBody(3072));
  EXPECT_EQ(dir.Read("Virus.dat"), "old content");
}

// The Stop button arrives through a yield; wherever that yield is (waiting
// for the network, or right after a full block), the transfer ends without
// DownLoadFinish and the temporary file holds whole blocks only.
TEST_F(Downloader, CancelFromAYieldIsNoticedAsACancel) {
  HttpReply r = Body(30 * 1024);
  r.pieceSize = 700;
  r.pieceDelay = 2ms;
  server.Serve("/ten", r);
  for (int cancelAt : {1, 3, 8, 15}) {
    progress.clear();
    finished = 0;
    Point("/ten");
    ASSERT_TRUE(control.Init());
    int yields = 0;
    YieldProbe probe([&] {
      if (++yields == cancelAt) control.CancelDownload();
    });
    control.StartUpdate();
    EXPECT_EQ(finished, 0) << cancelAt;
    EXPECT_FALSE(dir.Exists("Virus.dat")) << cancelAt;
    EXPECT_EQ(Bak().size() % 1024, 0u) << cancelAt;
    EXPECT_EQ(Bak(), PatternBody(Bak().size()));
  }
}

TEST_F(Downloader, CancelDuringTheLastPartialBlockStillFinishesWithoutReplacing) {
  server.Serve("/f", Body(1024 + 10));
  dir.Write("Virus.dat", "old content");
  Point("/f");
  ASSERT_TRUE(control.Init());
  bool armed = false;
  control.DownloadProcess = [&](std::int64_t& bytes) {
    progress.push_back(bytes);
    armed = true;  // the next yields are the byte-wise ones of the last block
  };
  int byteYields = 0;
  YieldProbe probe([&] {
    if (armed && ++byteYields == 5) control.CancelDownload();
  });
  control.StartUpdate();
  EXPECT_EQ(finished, 1);
  EXPECT_EQ(progress, (std::vector<std::int64_t>{1024, 1034}));
  EXPECT_EQ(dir.Read("Virus.dat"), "old content");
  EXPECT_EQ(Bak(), PatternBody(1034));
}

// A cancelled transfer reads "0" as its Content-Length; an empty body must
// not pass for complete then and wipe the target.
TEST_F(Downloader, CancelAfterAnEmptyBodyKeepsTheTarget) {
  server.Serve("/empty", Body(0));
  dir.Write("Virus.dat", "old content");
  Point("/empty");
  ASSERT_TRUE(control.Init());
  YieldProbe probe([&] { control.CancelDownload(); });
  control.StartUpdate();
  EXPECT_EQ(finished, 1);
  EXPECT_EQ(dir.Read("Virus.dat"), "old content");
}

TEST_F(Downloader, ChunkedResponseHasNoContentLength) {
  server.Serve("/chunked", Body(100, HttpReply::Framing::kChunked));
  Point("/chunked");
  ASSERT_TRUE(control.Init());
  EXPECT_EQ(control.GetHeader("Content-Length"), "0");
  EXPECT_EQ(control.GetHeader("Last-Modified"), "0");
}

TEST_F(Downloader, CancelBetweenInitAndStartWritesNothing) {
  server.Serve("/f", Body(10));
  Point("/f");
  ASSERT_TRUE(control.Init());
  control.CancelDownload();
  EXPECT_FALSE(control.StartUpdate());
  EXPECT_FALSE(dir.Exists("Virus.dat.bak"));
  EXPECT_TRUE(progress.empty());
  EXPECT_EQ(finished, 0);
}

TEST_F(Downloader, OneControlFetchesFilesOneAfterAnother) {
  server.Serve("/a", Body(3000));
  server.Serve("/b", Body(10));
  // The update window starts the next file from the finish event.
  std::vector<std::string> queue = {"/b"};
  control.DownLoadFinish = [&] {
    ++finished;
    if (queue.empty()) return;
    Point(queue.back());
    target = dir.Path("Second.dat");
    control.SaveFile = target;
    queue.pop_back();
    if (control.Init()) control.StartUpdate();
  };
  ASSERT_TRUE(Fetch("/a"));
  EXPECT_EQ(finished, 2);
  EXPECT_EQ(dir.Read("Virus.dat"), PatternBody(3000));
  EXPECT_EQ(dir.Read("Second.dat"), PatternBody(10));
  EXPECT_FALSE(control.DownloadActive());
}

// An updated program file must still run: the replaced file keeps its mode.
TEST_F(Downloader, ReplacedTargetKeepsItsPermissionBits) {
  namespace fs = std::filesystem;
  server.Serve("/f", Body(10));
  dir.Write("Virus.dat", "old program");
  fs::permissions(target, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
  ASSERT_TRUE(Fetch("/f"));
  EXPECT_EQ(dir.Read("Virus.dat"), PatternBody(10));
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
            fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
}

TEST_F(Downloader, TargetThatCannotBeReplacedKeepsTheNewContentInTheTemporaryFile) {
  server.Serve("/f", Body(10));
  dir.Write("Virus.dat/inside", "a folder stands where the file should go");
  ASSERT_TRUE(Fetch("/f"));
  EXPECT_EQ(finished, 1);
  EXPECT_EQ(Bak(), PatternBody(10));
}

TEST_F(Downloader, UnwritableTemporaryFileFinishesWithoutReplacing) {
  server.Serve("/f", Body(10));
  control.URL = server.Url("/f");
  control.SaveFile = dir.Path("no-such-folder/Virus.dat");
  ASSERT_TRUE(control.Init());
  control.StartUpdate();
  EXPECT_EQ(finished, 1);
  EXPECT_FALSE(dir.Exists("no-such-folder"));
}

}  // namespace
}  // namespace zq
