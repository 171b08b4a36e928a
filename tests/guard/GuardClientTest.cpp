// The program's side of the guard against a fake guard on a socket of a
// temporary folder.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <thread>

#include "platform/GuardClient.h"
#include "platform/GuardProtocol.h"
#include "platform/Yield.h"
#include "support/TempDir.h"

namespace zq {
namespace {

// One connection of a fake guard, with bounded reads.
class FakeGuard {
 public:
  explicit FakeGuard(const std::string& path) : path_(path) {
    listen_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    EXPECT_EQ(::bind(listen_, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    EXPECT_EQ(::listen(listen_, 4), 0);
  }
  ~FakeGuard() {
    if (conn_ >= 0) ::close(conn_);
    ::close(listen_);
  }

  // Accepts the program and answers its registration.
  std::thread AcceptAndRegister(bool accept) {
    return std::thread([this, accept] {
      pollfd p{listen_, POLLIN, 0};
      if (::poll(&p, 1, 5000) != 1) return;
      conn_ = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
      const auto f = Read();
      if (!f || f->type != GuardFrameType::kRegister) return;
      registeredPid = GuardFrameNumber(*f).value_or(0);
      Write(EncodeGuardFrame({GuardFrameType::kRegisterResult, 0, std::string(1, accept ? '\1' : '\0')}));
    });
  }

  std::optional<GuardFrame> Read(int timeoutMs = 5000) {
    for (;;) {
      if (auto f = reader_.Next()) return f;
      pollfd p{conn_, POLLIN, 0};
      if (::poll(&p, 1, timeoutMs) != 1) return std::nullopt;
      char buffer[512];
      const ssize_t n = ::recv(conn_, buffer, sizeof buffer, 0);
      if (n <= 0) return std::nullopt;
      reader_.Append(std::string_view(buffer, static_cast<size_t>(n)));
    }
  }

  void Write(const std::string& bytes) {
    ASSERT_EQ(::send(conn_, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
  }

  uint32_t registeredPid = 0;

 private:
  std::string path_;
  int listen_ = -1;
  int conn_ = -1;
  GuardFrameReader reader_;
};

bool WaitReadable(int fd, int timeoutMs = 5000) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, timeoutMs) == 1;
}

class GuardClientTest : public ::testing::Test {
 protected:
  void SetUp() override { SetGuardSocketPath(dir_.Path("guard.sock")); }
  void TearDown() override {
    SetVevezoRezezad(false);
    SetGuardRequestHandler({});
    SetYieldHandler({});
    SetGuardSocketPath("");
  }
  test::TempDir dir_;
};

TEST_F(GuardClientTest, MissingGuardMeansNoActiveDefense) {
  EXPECT_FALSE(SetVevezoRezezad(true));
  EXPECT_EQ(GuardSocketFd(), -1);
  ProcessGuardMessages();  // harmless without a connection
}

TEST_F(GuardClientTest, RegistrationResultIsPassedOn) {
  for (const bool accepted : {true, false}) {
    FakeGuard guard(dir_.Path(accepted ? "a.sock" : "r.sock"));
    SetGuardSocketPath(dir_.Path(accepted ? "a.sock" : "r.sock"));
    std::thread server = guard.AcceptAndRegister(accepted);
    EXPECT_EQ(SetVevezoRezezad(true), accepted);
    server.join();
    EXPECT_EQ(guard.registeredPid, static_cast<uint32_t>(::getpid()));
    EXPECT_EQ(GuardSocketFd() >= 0, accepted);
    if (accepted) {
      EXPECT_FALSE(SetVevezoRezezad(false));
      const auto f = guard.Read();
      ASSERT_TRUE(f);
      EXPECT_EQ(f->type, GuardFrameType::kDeregister);
      EXPECT_EQ(GuardSocketFd(), -1);
    }
  }
}

TEST_F(GuardClientTest, DefaultDispatchAllowsAndIsTakenFirst) {
  FakeGuard guard(dir_.Path("guard.sock"));
  std::thread server = guard.AcceptAndRegister(true);
  ASSERT_TRUE(SetVevezoRezezad(true));
  server.join();
  guard.Write(EncodeGuardFrame({GuardFrameType::kRequest, 9, "/bin/x$$"}));
  ASSERT_TRUE(WaitReadable(GuardSocketFd()));
  ProcessGuardMessages();
  const auto taken = guard.Read();
  const auto reply = guard.Read();
  ASSERT_TRUE(taken && reply);
  EXPECT_EQ(taken->type, GuardFrameType::kTaken);
  EXPECT_EQ(taken->id, 9u);
  EXPECT_EQ(reply->type, GuardFrameType::kReply);
  EXPECT_EQ(reply->id, 9u);
  EXPECT_EQ(GuardFrameNumber(*reply), kStartAllowed);
}

TEST_F(GuardClientTest, NestedRequestInsideAYieldIsAnsweredFirst) {
  FakeGuard guard(dir_.Path("guard.sock"));
  std::thread server = guard.AcceptAndRegister(true);
  ASSERT_TRUE(SetVevezoRezezad(true));
  server.join();

  std::vector<std::string> seen;
  SetGuardRequestHandler([&seen](std::string_view payload) -> uint32_t {
    seen.emplace_back(payload);
    if (payload == "/first$$") {
      Yield();  // the event loop gets a turn and finds the second request
      return kStartBlocked;
    }
    return kStartAllowed;
  });
  SetYieldHandler([] {
    if (WaitReadable(GuardSocketFd(), 1000)) ProcessGuardMessages();
  });
  // Both requests in one write: the client must leave the second in the socket.
  guard.Write(EncodeGuardFrame({GuardFrameType::kRequest, 1, "/first$$"}) +
              EncodeGuardFrame({GuardFrameType::kRequest, 2, "/second$$"}));
  ASSERT_TRUE(WaitReadable(GuardSocketFd()));
  ProcessGuardMessages();

  EXPECT_EQ(seen, (std::vector<std::string>{"/first$$", "/second$$"}));
  std::vector<std::pair<GuardFrameType, uint32_t>> frames;
  std::vector<uint32_t> answers;
  for (int i = 0; i < 4; ++i) {
    const auto f = guard.Read();
    ASSERT_TRUE(f);
    frames.emplace_back(f->type, f->id);
    if (f->type == GuardFrameType::kReply) answers.push_back(GuardFrameNumber(*f).value_or(99));
  }
  const std::vector<std::pair<GuardFrameType, uint32_t>> expected = {{GuardFrameType::kTaken, 1},
                                                                     {GuardFrameType::kTaken, 2},
                                                                     {GuardFrameType::kReply, 2},
                                                                     {GuardFrameType::kReply, 1}};
  EXPECT_EQ(frames, expected);
  EXPECT_EQ(answers, (std::vector<uint32_t>{kStartAllowed, kStartBlocked}));
}

TEST_F(GuardClientTest, SwitchingOffInsideADispatchDoesNotAnswerOnAStaleSocket) {
  FakeGuard guard(dir_.Path("guard.sock"));
  std::thread server = guard.AcceptAndRegister(true);
  ASSERT_TRUE(SetVevezoRezezad(true));
  server.join();
  SetGuardRequestHandler([](std::string_view) -> uint32_t {
    SetVevezoRezezad(false);
    return kStartAllowed;
  });
  guard.Write(EncodeGuardFrame({GuardFrameType::kRequest, 3, "/x$$"}));
  ASSERT_TRUE(WaitReadable(GuardSocketFd()));
  ProcessGuardMessages();
  EXPECT_EQ(GuardSocketFd(), -1);
  const auto taken = guard.Read();
  const auto next = guard.Read();
  ASSERT_TRUE(taken && next);
  EXPECT_EQ(taken->type, GuardFrameType::kTaken);
  EXPECT_EQ(next->type, GuardFrameType::kDeregister);
  EXPECT_FALSE(guard.Read(200)) << "nothing may follow the deregistration";
}

TEST_F(GuardClientTest, GarbageFromTheGuardEndsActiveDefense) {
  FakeGuard guard(dir_.Path("guard.sock"));
  std::thread server = guard.AcceptAndRegister(true);
  ASSERT_TRUE(SetVevezoRezezad(true));
  server.join();
  int calls = 0;
  SetGuardRequestHandler([&calls](std::string_view) -> uint32_t {
    ++calls;
    return kStartAllowed;
  });
  guard.Write(std::string("\xff\xff\xff\x7f\x04", 5));
  ASSERT_TRUE(WaitReadable(GuardSocketFd()));
  ProcessGuardMessages();
  EXPECT_EQ(GuardSocketFd(), -1);
  EXPECT_EQ(calls, 0);
}

// Runs `body` in a child process as an unprivileged user; returns its exit status.
int InChildAsUser(uid_t uid, const std::function<int()>& body) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::geteuid() == 0 && (::setgid(uid) != 0 || ::setuid(uid) != 0)) ::_exit(90);
    // Changing the user makes a process non-dumpable; start from the usual state.
    ::prctl(PR_SET_DUMPABLE, 1, 0, 0, 0);
    ::_exit(body());
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
}

TEST(SelfProtection, AnotherProcessOfTheSameUserCannotReadOurMemory) {
  const uid_t user = ::geteuid() == 0 ? 65534 : ::geteuid();
  const int status = InChildAsUser(user, [] {
    int go[2], done[2];
    if (::pipe(go) != 0 || ::pipe(done) != 0) return 80;
    const pid_t target = ::fork();
    if (target == 0) {
      ::close(go[1]);
      ::close(done[0]);
      char c;
      if (::read(go[0], &c, 1) != 1) ::_exit(1);
      if (!SetVaroZevav(true)) ::_exit(2);
      if (::write(done[1], "x", 1) != 1) ::_exit(3);
      if (::read(go[0], &c, 1) != 1) ::_exit(4);
      SetVaroZevav(false);
      ::_exit(::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0) == 1 ? 0 : 5);
    }
    ::close(go[0]);
    ::close(done[1]);
    const std::string mem = "/proc/" + std::to_string(target) + "/mem";
    const int before = ::open(mem.c_str(), O_RDONLY | O_CLOEXEC);
    if (before < 0) {
      ::kill(target, SIGKILL);
      ::waitpid(target, nullptr, 0);
      return 77;  // the system forbids it anyway (ptrace scope)
    }
    ::close(before);
    char c;
    if (::write(go[1], "x", 1) != 1 || ::read(done[0], &c, 1) != 1) return 81;
    const int after = ::open(mem.c_str(), O_RDONLY | O_CLOEXEC);
    const bool blocked = after < 0;
    if (after >= 0) ::close(after);
    if (::write(go[1], "x", 1) != 1) return 82;
    int st = 0;
    ::waitpid(target, &st, 0);
    if (!WIFEXITED(st) || WEXITSTATUS(st) != 0) return 83;
    return blocked ? 0 : 84;
  });
  if (status == 77) GTEST_SKIP() << "reading another process's memory is forbidden here in any case";
  EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace zq
