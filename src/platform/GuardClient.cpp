#include "platform/GuardClient.h"

#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "platform/GuardProtocol.h"

namespace zq {
namespace {
// How long switching on waits for the guard's answer, and how long a send may
// wait for room in the socket: the guard answers at once or not at all.
constexpr int kRegisterWaitMs = 2000;
constexpr int kSendWaitMs = 1000;

struct ClientState {
  int fd = -1;
  GuardFrameReader reader;
  // Changes on every disconnect, so a dispatch that returns after a nested
  // call closed the connection does not write to a stale socket.
  uint64_t generation = 0;
  GuardRequestHandler handler;
  std::string socketOverride;
};

ClientState& State() {
  static ClientState state;
  return state;
}

void Disconnect() {
  ClientState& s = State();
  if (s.fd >= 0) ::close(s.fd);
  s.fd = -1;
  s.reader = GuardFrameReader();
  ++s.generation;
}

bool SendAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      bytes.remove_prefix(static_cast<size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd p{fd, POLLOUT, 0};
      if (::poll(&p, 1, kSendWaitMs) > 0) continue;
    }
    return false;
  }
  return true;
}

enum class ReadResult { kFrame, kNothing, kBroken };

// Reads no further than the end of the next frame, so later frames stay in
// the socket and keep it readable for the event loop.
ReadResult ReadOneFrame(GuardFrame& frame) {
  ClientState& s = State();
  for (;;) {
    if (auto f = s.reader.Next()) {
      frame = std::move(*f);
      return ReadResult::kFrame;
    }
    if (s.reader.Failed()) return ReadResult::kBroken;
    char buffer[4096];
    const size_t want = std::min(sizeof buffer, s.reader.BytesWanted());
    const ssize_t n = ::recv(s.fd, buffer, want, MSG_DONTWAIT);
    if (n > 0) {
      s.reader.Append(std::string_view(buffer, static_cast<size_t>(n)));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return ReadResult::kNothing;
    return ReadResult::kBroken;
  }
}

int ConnectTo(const std::string& path) {
  sockaddr_un addr{};
  if (path.empty() || path.size() >= sizeof addr.sun_path) return -1;
  addr.sun_family = AF_UNIX;
  std::memcpy(addr.sun_path, path.data(), path.size());
  // Non-blocking: a guard that stopped accepting must not stall the start-up
  // of the program on a full backlog.
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return -1;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

bool Register() {
  ClientState& s = State();
  s.fd = ConnectTo(GuardSocketPath());
  if (s.fd < 0) return false;
  const auto pid = static_cast<uint32_t>(::getpid());
  if (!SendAll(s.fd, EncodeGuardNumberFrame(GuardFrameType::kRegister, 0, pid))) return false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kRegisterWaitMs);
  for (;;) {
    GuardFrame frame;
    const ReadResult r = ReadOneFrame(frame);
    if (r == ReadResult::kBroken) return false;
    if (r == ReadResult::kFrame) {
      if (frame.type != GuardFrameType::kRegisterResult) return false;
      return frame.payload == std::string(1, '\1');
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd p{s.fd, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left.count())) < 0 && errno != EINTR) return false;
  }
}

uint32_t Dispatch(std::string_view payload) {
  // Copied so that a handler replaced during its own run stays alive.
  const GuardRequestHandler handler = State().handler;
  if (!handler) return kStartAllowed;
  return handler(payload);
}
}  // namespace

GuardRequestHandler SetGuardRequestHandler(GuardRequestHandler handler) {
  GuardRequestHandler previous = std::move(State().handler);
  State().handler = std::move(handler);
  return previous;
}

std::string GuardSocketPath() {
  if (!State().socketOverride.empty()) return State().socketOverride;
  const char* env = std::getenv("ZQ_GUARD_SOCKET");
  if (env && *env) return env;
  return kGuardSocketPath;
}

void SetGuardSocketPath(const std::string& path) {
  State().socketOverride = path;
}

bool SetVevezoRezezad(bool on) {
  if (!on) {
    if (State().fd >= 0) SendAll(State().fd, EncodeGuardFrame({GuardFrameType::kDeregister, 0, {}}));
    Disconnect();
    return false;
  }
  // Switching on again starts from a fresh registration.
  Disconnect();
  if (Register()) return true;
  Disconnect();
  return false;
}

bool SetVaroZevav(bool on) {
  if (!on) {
    ::prctl(PR_SET_DUMPABLE, 1, 0, 0, 0);
    return true;
  }
  return ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0 && ::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0) == 0;
}

int GuardSocketFd() {
  return State().fd;
}

void ProcessGuardMessages() {
  ClientState& s = State();
  const uint64_t generation = s.generation;
  while (s.fd >= 0 && s.generation == generation) {
    GuardFrame frame;
    const ReadResult r = ReadOneFrame(frame);
    if (r == ReadResult::kNothing) return;
    if (r == ReadResult::kBroken) {
      Disconnect();
      return;
    }
    if (frame.type != GuardFrameType::kRequest) continue;
    if (!SendAll(s.fd, EncodeGuardFrame({GuardFrameType::kTaken, frame.id, {}}))) {
      Disconnect();
      return;
    }
    const uint32_t answer = Dispatch(frame.payload) == kStartAllowed ? kStartAllowed : kStartBlocked;
    if (s.fd < 0 || s.generation != generation) return;
    if (!SendAll(s.fd, EncodeGuardNumberFrame(GuardFrameType::kReply, frame.id, answer))) {
      Disconnect();
      return;
    }
  }
}

}  // namespace zq
