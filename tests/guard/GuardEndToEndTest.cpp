// zq-guard end to end: a real guard process watches one temporary folder, a
// client process answers, and the test starts a program copied into the folder.
// Every wait is bounded; the guard dies with the test (its marks go with it).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>

#include "platform/GuardClient.h"
#include "platform/GuardProtocol.h"
#include "platform/ProgramFolder.h"
#include "support/TempDir.h"

namespace zq {
namespace {
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point t) {
  return std::chrono::duration<double>(Clock::now() - t).count();
}

// Waits for a child with a bound; kills it when the bound passes.
int WaitChild(pid_t pid, int timeoutMs) {
  const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (Clock::now() > end) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return -1;
    }
    ::usleep(10000);
  }
  return status;
}

// Reads one line a child reported, or "" after the bound.
std::string ReadLine(int fd, int timeoutMs) {
  std::string line;
  const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    pollfd p{fd, POLLIN, 0};
    if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) != 1) return "";
    char c;
    if (::read(fd, &c, 1) != 1) return "";
    if (c == '\n') return line;
    line.push_back(c);
  }
}

void Report(int fd, const std::string& line) {
  const std::string text = line + "\n";
  if (::write(fd, text.data(), text.size()) < 0) ::_exit(70);
}

// A program start made by the test: fork, exec, report exec errors through a
// close-on-exec pipe.
struct Start {
  pid_t pid = -1;
  int errorPipe = -1;
  Clock::time_point began;
};

Start StartProgram(const std::string& path) {
  int p[2];
  EXPECT_EQ(::pipe2(p, O_CLOEXEC), 0);
  Start s;
  s.began = Clock::now();
  s.pid = ::fork();
  if (s.pid == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    ::close(p[0]);
    const int devNull = ::open("/dev/null", O_RDONLY);
    if (devNull >= 0) ::dup2(devNull, 0);
    char* const argv[] = {const_cast<char*>(path.c_str()), nullptr};
    ::execv(path.c_str(), argv);
    const int e = errno;
    if (::write(p[1], &e, sizeof e) < 0) ::_exit(71);
    ::_exit(127);
  }
  ::close(p[1]);
  s.errorPipe = p[0];
  return s;
}

struct StartResult {
  bool ran = false;  // exec succeeded and the program exited 0
  int error = 0;     // errno of a failed exec
  double seconds = 0;
};

StartResult Finish(Start& s, int timeoutMs = 20000) {
  StartResult r;
  pollfd p{s.errorPipe, POLLIN, 0};
  if (::poll(&p, 1, timeoutMs) == 1) {
    int e = 0;
    if (::read(s.errorPipe, &e, sizeof e) == static_cast<ssize_t>(sizeof e)) r.error = e;
  }
  r.seconds = SecondsSince(s.began);
  ::close(s.errorPipe);
  const int status = WaitChild(s.pid, 5000);
  r.ran = r.error == 0 && status >= 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return r;
}

// A client in a process of its own (the starts made by the test must not be
// its descendants). It reports what happens, one line at a time, and ends
// when the test closes its control pipe.
struct ClientProcess {
  pid_t pid = -1;
  int reports = -1;
  int control = -1;

  std::string Line(int timeoutMs = 10000) const { return ReadLine(reports, timeoutMs); }
  void Tell(char c) const {
    if (::write(control, &c, 1) != 1) ADD_FAILURE() << "client gone";
  }
  void Stop() {
    if (pid < 0) return;
    ::close(control);
    WaitChild(pid, 5000);
    ::close(reports);
    pid = -1;
  }
  ~ClientProcess() { Stop(); }
};

// body(reportFd, controlFd) runs in the child and returns its exit status.
ClientProcess ForkClient(const std::function<int(int, int)>& body) {
  int rep[2], ctl[2];
  EXPECT_EQ(::pipe2(rep, O_CLOEXEC), 0);
  EXPECT_EQ(::pipe2(ctl, O_CLOEXEC), 0);
  ClientProcess c;
  c.pid = ::fork();
  if (c.pid == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    ::close(rep[0]);
    ::close(ctl[1]);
    ::_exit(body(rep[1], ctl[0]));
  }
  ::close(rep[1]);
  ::close(ctl[0]);
  c.reports = rep[0];
  c.control = ctl[1];
  return c;
}

// Serves the library client until the control pipe closes (bounded).
int ServeLibraryClient(int control, const std::function<void()>& onIdle = {}) {
  const auto end = Clock::now() + std::chrono::seconds(60);
  while (Clock::now() < end && GuardSocketFd() >= 0) {
    pollfd p[2] = {{GuardSocketFd(), POLLIN, 0}, {control, POLLIN, 0}};
    if (::poll(p, 2, 100) < 0) return 60;
    if (p[1].revents) return 0;
    if (p[0].revents) ProcessGuardMessages();
    if (onIdle) onIdle();
  }
  return 0;
}

// A client that registers with the library and answers every request with `answer`.
ClientProcess LibraryClient(const std::string& socket, uint32_t answer) {
  return ForkClient([socket, answer](int rep, int control) {
    SetGuardSocketPath(socket);
    SetGuardRequestHandler([rep, answer](std::string_view payload) {
      Report(rep, "request " + std::string(payload));
      return answer;
    });
    Report(rep, SetVevezoRezezad(true) ? "registered" : "refused");
    return ServeLibraryClient(control);
  });
}

int RawConnect(const std::string& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

std::optional<GuardFrame> RawRead(int fd, GuardFrameReader& reader, int timeoutMs) {
  for (;;) {
    if (auto f = reader.Next()) return f;
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) != 1) return std::nullopt;
    char buffer[512];
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) return std::nullopt;
    reader.Append(std::string_view(buffer, static_cast<size_t>(n)));
  }
}

void RawSend(int fd, const std::string& bytes) {
  if (::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(bytes.size())) ::_exit(72);
}

bool RawRegister(int fd, GuardFrameReader& reader) {
  RawSend(fd, EncodeGuardNumberFrame(GuardFrameType::kRegister, 0, static_cast<uint32_t>(::getpid())));
  const auto f = RawRead(fd, reader, 5000);
  return f && f->type == GuardFrameType::kRegisterResult && f->payload == std::string(1, '\1');
}

enum class RawMode {
  kNeverTake,     // reads requests, never takes them
  kTakeThenDrop,  // takes the request, then closes the connection
  kTakeThenWait,  // takes the request, answers 915 when told to ('a')
};

ClientProcess RawClient(const std::string& socket, RawMode mode) {
  return ForkClient([socket, mode](int rep, int control) {
    const int fd = RawConnect(socket);
    GuardFrameReader reader;
    if (fd < 0 || !RawRegister(fd, reader)) {
      Report(rep, "refused");
      return 1;
    }
    Report(rep, "registered");
    const auto end = Clock::now() + std::chrono::seconds(60);
    while (Clock::now() < end) {
      pollfd p[2] = {{fd, POLLIN, 0}, {control, POLLIN, 0}};
      if (::poll(p, 2, 100) < 0) return 60;
      if (p[1].revents) {
        char c = 0;
        if (::read(control, &c, 1) != 1) return 0;
        if (c == 'a') RawSend(fd, EncodeGuardNumberFrame(GuardFrameType::kReply, 1, kStartAllowed));
        continue;
      }
      if (!p[0].revents) continue;
      const auto f = RawRead(fd, reader, 1000);
      if (!f) return 61;
      if (f->type != GuardFrameType::kRequest) continue;
      Report(rep, "request " + std::to_string(f->id) + " " + f->payload);
      if (mode == RawMode::kNeverTake) continue;
      RawSend(fd, EncodeGuardFrame({GuardFrameType::kTaken, f->id, {}}));
      if (mode == RawMode::kTakeThenDrop) {
        ::close(fd);
        Report(rep, "dropped");
        char c;
        (void)::read(control, &c, 1);
        return 0;
      }
    }
    return 0;
  });
}

class GuardEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "fanotify permission events need root";
    const char* programDir = std::getenv("ZQ_PROGRAM_DIR");
    guardExe_ = programDir ? std::string(programDir) + "/zq-guard" : "";
    if (guardExe_.empty() || ::access(guardExe_.c_str(), X_OK) != 0) guardExe_ = ZQ_GUARD_EXE;
    if (::access(guardExe_.c_str(), X_OK) != 0) GTEST_SKIP() << "zq-guard is not built";
    watched_ = std::filesystem::canonical(dir_.path()).string() + "/watched";
    std::filesystem::create_directory(watched_);
    program_ = watched_ + "/prog";
    std::filesystem::copy_file("/bin/true", program_);
    socket_ = dir_.Path("guard.sock");
  }

  void TearDown() override { StopGuard(); }

  // Starts the guard on the temporary folder; skips when fanotify refuses.
  void StartGuard(std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {guardExe_, "--watch",          watched_, "--socket",
                                     socket_,   "--decision-limit", "60"};
    if (extra.empty()) extra = {"--client-exe", ExecutablePath()};
    args.insert(args.end(), extra.begin(), extra.end());
    int err[2];
    ASSERT_EQ(::pipe2(err, O_CLOEXEC), 0);
    guard_ = ::fork();
    if (guard_ == 0) {
      ::prctl(PR_SET_PDEATHSIG, SIGKILL);
      ::dup2(err[1], 2);
      std::vector<char*> argv;
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(err[1]);
    guardErr_ = err[0];
    // Ready once the socket answers.
    const auto end = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < end) {
      const int fd = RawConnect(socket_);
      if (fd >= 0) {
        ::close(fd);
        return;
      }
      int status = 0;
      if (::waitpid(guard_, &status, WNOHANG) == guard_) {
        guard_ = -1;
        GTEST_SKIP() << "zq-guard could not start: " << ReadLine(guardErr_, 1000);
      }
      ::usleep(20000);
    }
    FAIL() << "zq-guard did not come up";
  }

  int StopGuard() {
    if (guard_ < 0) return -1;
    ::kill(guard_, SIGTERM);
    const int status = WaitChild(guard_, 5000);
    guard_ = -1;
    ::close(guardErr_);
    return status;
  }

  test::TempDir dir_;
  std::string guardExe_, watched_, program_, socket_;
  pid_t guard_ = -1;
  int guardErr_ = -1;
};

TEST_F(GuardEndToEnd, RegisteredClientDecides) {
  struct Case {
    uint32_t answer;
    bool runs;
  };
  for (const Case c : {Case{kStartBlocked, false}, Case{kStartAllowed, true}}) {
    SCOPED_TRACE(c.answer);
    StartGuard();
    ClientProcess client = LibraryClient(socket_, c.answer);
    ASSERT_EQ(client.Line(), "registered");
    Start s = StartProgram(program_);
    EXPECT_EQ(client.Line(), "request " + program_ + "$$");
    const StartResult r = Finish(s);
    EXPECT_EQ(r.ran, c.runs);
    EXPECT_EQ(r.error, c.runs ? 0 : EPERM);
    client.Stop();
    StopGuard();
  }
}

TEST_F(GuardEndToEnd, NoClientLetsStartsGoAtOnce) {
  StartGuard();
  Start s = StartProgram(program_);
  const StartResult r = Finish(s);
  EXPECT_TRUE(r.ran);
  EXPECT_LT(r.seconds, 1.5) << "held although nobody could answer";
}

TEST_F(GuardEndToEnd, ClientThatNeverTakesIsPassedAfterTheTakeLimit) {
  StartGuard();
  ClientProcess client = RawClient(socket_, RawMode::kNeverTake);
  ASSERT_EQ(client.Line(), "registered");
  Start s = StartProgram(program_);
  EXPECT_EQ(client.Line(), "request 1 " + program_ + "$$");
  const StartResult r = Finish(s);
  EXPECT_TRUE(r.ran);
  EXPECT_GE(r.seconds, 1.5) << "the client should have had its two seconds";
  EXPECT_LT(r.seconds, 10.0);
}

TEST_F(GuardEndToEnd, ClientThatDropsMidRequestReleasesTheStart) {
  StartGuard();  // a taken request would otherwise wait for the 60-second decision limit
  ClientProcess client = RawClient(socket_, RawMode::kTakeThenDrop);
  ASSERT_EQ(client.Line(), "registered");
  Start s = StartProgram(program_);
  EXPECT_EQ(client.Line(), "request 1 " + program_ + "$$");
  EXPECT_EQ(client.Line(), "dropped");
  const StartResult r = Finish(s);
  EXPECT_TRUE(r.ran);
  EXPECT_LT(r.seconds, 10.0);
  // Nobody is registered any more: the next start goes at once.
  Start again = StartProgram(program_);
  EXPECT_TRUE(Finish(again).ran);
}

TEST_F(GuardEndToEnd, ClientsOwnChildStartsWithoutBeingAsked) {
  StartGuard();
  const std::string program = program_;
  ClientProcess client = ForkClient([this, program](int rep, int control) {
    SetGuardSocketPath(socket_);
    SetGuardRequestHandler([rep](std::string_view payload) {
      Report(rep, "request " + std::string(payload));
      return kStartBlocked;
    });
    if (!SetVevezoRezezad(true)) {
      Report(rep, "refused");
      return 1;
    }
    Start s = StartProgram(program);
    const StartResult r = Finish(s);
    Report(rep, r.ran ? "child ran" : "child failed " + std::to_string(r.error));
    return ServeLibraryClient(control);
  });
  EXPECT_EQ(client.Line(), "child ran");
  // The client still answers others: a start by the test itself is asked about.
  Start s = StartProgram(program_);
  EXPECT_EQ(client.Line(), "request " + program_ + "$$");
  EXPECT_EQ(Finish(s).error, EPERM);
}

TEST_F(GuardEndToEnd, SecondConnectionCanNeitherRegisterNorAnswer) {
  StartGuard();
  ClientProcess client = RawClient(socket_, RawMode::kTakeThenWait);
  ASSERT_EQ(client.Line(), "registered");
  Start s = StartProgram(program_);
  EXPECT_EQ(client.Line(), "request 1 " + program_ + "$$");

  const int intruder = RawConnect(socket_);
  ASSERT_GE(intruder, 0);
  GuardFrameReader reader;
  EXPECT_FALSE(RawRegister(intruder, reader)) << "a second program was registered";
  RawSend(intruder, EncodeGuardNumberFrame(GuardFrameType::kReply, 1, kStartBlocked));
  ::usleep(200000);
  client.Tell('a');  // the registered client allows it
  const StartResult r = Finish(s);
  EXPECT_TRUE(r.ran) << "error " << r.error;
  ::close(intruder);
}

TEST_F(GuardEndToEnd, RegistrationMustComeFromTheProcessItNames) {
  StartGuard({"--any-client"});
  const int fd = RawConnect(socket_);
  ASSERT_GE(fd, 0);
  GuardFrameReader reader;
  // Claiming to be another process (here: our parent) is refused...
  RawSend(fd, EncodeGuardNumberFrame(GuardFrameType::kRegister, 0, static_cast<uint32_t>(::getppid())));
  auto result = RawRead(fd, reader, 5000);
  ASSERT_TRUE(result);
  EXPECT_EQ(result->payload, std::string(1, '\0'));
  // ...while the same connection naming itself is accepted.
  EXPECT_TRUE(RawRegister(fd, reader));
  ::close(fd);
}

TEST_F(GuardEndToEnd, OnlyTheConfiguredProgramMayRegister) {
  StartGuard({"--client-exe", "/bin/true"});
  ClientProcess client = LibraryClient(socket_, kStartBlocked);
  EXPECT_EQ(client.Line(), "refused");
  Start s = StartProgram(program_);
  EXPECT_TRUE(Finish(s).ran);
}

TEST_F(GuardEndToEnd, StoppingTheGuardReleasesAHeldStart) {
  StartGuard();
  ClientProcess client = RawClient(socket_, RawMode::kTakeThenWait);
  ASSERT_EQ(client.Line(), "registered");
  Start s = StartProgram(program_);
  EXPECT_EQ(client.Line(), "request 1 " + program_ + "$$");
  const int status = StopGuard();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_TRUE(Finish(s).ran);
  EXPECT_FALSE(std::filesystem::exists(socket_)) << "the socket should go with the guard";
}

TEST_F(GuardEndToEnd, ScriptIsAskedAboutOnceNotAgainForItsInterpreter) {
  std::filesystem::copy_file("/bin/sh", watched_ + "/sh");
  const std::string script = watched_ + "/job";
  dir_.Write("watched/job", "#!" + watched_ + "/sh\nexit 0\n");
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  for (const uint32_t answer : {kStartAllowed, kStartBlocked}) {
    SCOPED_TRACE(answer);
    StartGuard();
    ClientProcess client = LibraryClient(socket_, answer);
    ASSERT_EQ(client.Line(), "registered");
    Start s = StartProgram(script);
    EXPECT_EQ(client.Line(), "request " + script + "$$");
    const StartResult r = Finish(s);
    EXPECT_EQ(r.ran, answer == kStartAllowed) << r.error;
    EXPECT_EQ(client.Line(300), "") << "asked a second time";
    // The interpreter started on its own is asked about as usual.
    if (answer == kStartAllowed) {
      Start direct = StartProgram(watched_ + "/sh");
      EXPECT_EQ(client.Line(), "request " + watched_ + "/sh$$");
      Finish(direct);
    }
    client.Stop();
    StopGuard();
  }
}

// The "#!" line may name the interpreter through a link (as /bin/sh on a
// merged /usr, or /lib64 for the loader of every dynamic program); the start
// of the file it leads to still belongs to the script.
TEST_F(GuardEndToEnd, InterpreterNamedThroughALinkIsNotAskedAbout) {
  std::filesystem::copy_file("/bin/sh", watched_ + "/sh");
  std::filesystem::create_directory_symlink(watched_, dir_.Path("alias"));
  const std::string script = watched_ + "/job";
  dir_.Write("watched/job", "#!" + dir_.Path("alias") + "/sh\nexit 0\n");
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  StartGuard();
  ClientProcess client = LibraryClient(socket_, kStartAllowed);
  ASSERT_EQ(client.Line(), "registered");
  Start s = StartProgram(script);
  EXPECT_EQ(client.Line(), "request " + script + "$$");
  const StartResult r = Finish(s);
  EXPECT_TRUE(r.ran) << r.error;
  EXPECT_EQ(client.Line(300), "") << "asked a second time";
}

TEST_F(GuardEndToEnd, ConnectionsThatNeverRegisterAreClosed) {
  StartGuard();
  // Enough idle connections to fill every place the guard keeps.
  std::vector<int> idle;
  for (int i = 0; i < 20; ++i) {
    const int fd = RawConnect(socket_);
    if (fd >= 0) idle.push_back(fd);
  }
  ASSERT_FALSE(idle.empty());
  const auto began = Clock::now();
  for (const int fd : idle) {
    pollfd p{fd, POLLIN, 0};
    char c;
    EXPECT_EQ(::poll(&p, 1, 15000), 1);
    EXPECT_EQ(::recv(fd, &c, 1, MSG_DONTWAIT), 0) << "still open";
    ::close(fd);
  }
  EXPECT_LT(SecondsSince(began), 15.0);
  // The program can register afterwards.
  ClientProcess client = LibraryClient(socket_, kStartAllowed);
  EXPECT_EQ(client.Line(), "registered");
}

}  // namespace
}  // namespace zq
