// A process killed in the middle of writing a profile file leaves the old or
// the new file, never a torn one, and loses no write it had finished.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <random>
#include <string>

#include "platform/FileIo.h"
#include "platform/Ini.h"
#include "support/TempDir.h"

namespace zq {
namespace {

// The child writes Log/K<i>=<i>, then Count/Last=<i>, then reports i through
// the pipe, for i = first, first + 1, ... until it is killed.
[[noreturn]] void WriteForever(const std::string& path, int first, int reportFd) {
  for (int i = first;; ++i) {
    if (!IniWriteValue(path, "Log", "K" + std::to_string(i), std::to_string(i))) ::_exit(3);
    if (!IniWriteValue(path, "Count", "Last", std::to_string(i))) ::_exit(3);
    if (::write(reportFd, &i, sizeof i) != sizeof i) ::_exit(4);
  }
}

// The only bytes the file may hold: the padding, K1..Kn, and Last when written.
std::string ExpectedFile(const std::string& pad, int n, const std::optional<std::string>& last) {
  std::string out = "[Pad]\r\nP=" + pad + "\r\n";
  if (n > 0) out += "[Log]\r\n";
  for (int i = 1; i <= n; ++i) out += "K" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
  if (last) out += "[Count]\r\nLast=" + *last + "\r\n";
  return out;
}

TEST(IniCrash, KilledWriterNeverTearsTheFileNorLosesAFinishedWrite) {
  test::TempDir dir;
  const std::string path = dir.Path("Settings.ini");
  const std::string pad(32 * 1024, 'p');  // large enough that a kill often lands inside a write
  ASSERT_TRUE(IniWriteValue(path, "Pad", "P", pad));

  std::mt19937 random(20261211);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  int written = 0;   // K1..K<written> are in the file
  int lastSeen = 0;  // Count/Last at the previous check (0: not written yet)
  int kills = 0;
  while (kills < 50 && std::chrono::steady_clock::now() < deadline) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::close(fds[0]);
      WriteForever(path, written + 1, fds[1]);
    }
    ::close(fds[1]);
    ::usleep(std::uniform_int_distribution<useconds_t>(0, 15000)(random));
    ::kill(pid, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself: a write failed";
    ++kills;

    int confirmed = written;
    int reported = 0;
    while (::read(fds[0], &reported, sizeof reported) == sizeof reported) confirmed = reported;
    ::close(fds[0]);

    const auto bytes = ReadWholeFile(path);
    ASSERT_TRUE(bytes.has_value());
    const auto doc = IniDocument::Parse(*bytes);
    const int n = static_cast<int>(doc.Keys("Log").size());
    const auto last = doc.Get("Count", "Last");
    // Every finished write is there; at most the one in flight was added.
    ASSERT_TRUE(n == confirmed || n == confirmed + 1) << "n=" << n << " confirmed=" << confirmed;
    // Last never goes back, holds every reported value, and is never ahead of Log.
    const int lastValue = last ? std::stoi(*last) : 0;
    ASSERT_GE(lastValue, std::max(lastSeen, confirmed > written ? confirmed : 0));
    ASSERT_LE(lastValue, n);
    ASSERT_EQ(*bytes, ExpectedFile(pad, n, last)) << "torn file after kill " << kills;
    written = n;
    lastSeen = lastValue;
  }
  EXPECT_GE(kills, 10);
  EXPECT_GT(written, 0) << "no write finished in any run";
}

}  // namespace
}  // namespace zq
