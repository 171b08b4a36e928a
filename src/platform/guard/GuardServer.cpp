#include "platform/guard/GuardServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/fanotify.h>
#include <sys/resource.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>

#include "platform/guard/DataMounts.h"
#include "platform/guard/ExecHelper.h"
#include "platform/guard/ProcessTree.h"

namespace zq::guard {
namespace {
using Clock = std::chrono::steady_clock;

// Beyond these, starts are allowed without asking and connections refused:
// a flood must exhaust neither our descriptors nor the program's patience.
constexpr size_t kMaxHeld = 256;
constexpr size_t kMaxClients = 16;
constexpr size_t kMaxOutput = 1 << 20;
// How long the interpreter of an allowed start may follow it unasked.
constexpr auto kInterpreterGrace = std::chrono::seconds(5);

std::string ReadLink(const std::string& path) {
  char buffer[PATH_MAX];
  const ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer);
  if (n <= 0 || static_cast<size_t>(n) >= sizeof buffer) return "";
  return std::string(buffer, static_cast<size_t>(n));
}

void Log(const std::string& text) {
  std::fprintf(stderr, "zq-guard: %s\n", text.c_str());
}

struct Client {
  int fd = -1;
  pid_t peerPid = 0;
  GuardFrameReader reader;
  std::string output;
  bool closing = false;
  Clock::time_point registerBy;
};

struct Held {
  int eventFd = -1;
  pid_t pid = 0;
  std::string interpreter;
  Clock::time_point deadline;
  bool taken = false;
};

// The interpreter an allowed start opens next, known by its file rather than
// by the name in the program: that name may lead there through links.
struct Expected {
  FileIdentity file;
  Clock::time_point until;
};
}  // namespace

struct GuardServer::Impl {
  GuardOptions options;
  int fan = -1;
  int listenFd = -1;
  bool socketBound = false;
  std::map<int, Client> clients;  // by descriptor
  int registeredFd = -1;
  pid_t registeredPid = 0;
  std::map<uint32_t, Held> held;
  uint32_t nextId = 1;
  std::map<pid_t, Expected> expected;

  ~Impl() {
    AllowAll();
    for (auto& [fd, c] : clients) ::close(fd);
    if (listenFd >= 0) ::close(listenFd);
    if (socketBound) ::unlink(options.socketPath.c_str());
    // Closing the group lets the kernel allow whatever is still queued.
    if (fan >= 0) ::close(fan);
  }

  void Respond(int eventFd, bool allow) {
    fanotify_response r{};
    r.fd = eventFd;
    r.response = allow ? FAN_ALLOW : FAN_DENY;
    if (::write(fan, &r, sizeof r) != static_cast<ssize_t>(sizeof r)) Log("could not answer a start");
    ::close(eventFd);
  }

  void Finish(uint32_t id, bool allow) {
    auto it = held.find(id);
    if (it == held.end()) return;
    Held h = std::move(it->second);
    held.erase(it);
    if (allow) ExpectInterpreter(h.pid, h.interpreter);
    Respond(h.eventFd, allow);
  }

  void ExpectInterpreter(pid_t pid, const std::string& interpreter) {
    if (interpreter.empty()) return;
    if (const auto file = IdentityInProcess(pid, interpreter)) {
      expected[pid] = {*file, Clock::now() + kInterpreterGrace};
    }
  }

  void AllowAll() {
    while (!held.empty()) Finish(held.begin()->first, true);
  }

  void Unregister() {
    registeredFd = -1;
    registeredPid = 0;
    AllowAll();
  }

  bool MarkWatch(std::string* error) {
    std::vector<std::string> marked;
    if (!options.watchFolders.empty()) {
      for (const auto& folder : options.watchFolders) {
        if (::fanotify_mark(fan, FAN_MARK_ADD | FAN_MARK_ONLYDIR, FAN_OPEN_EXEC_PERM | FAN_EVENT_ON_CHILD,
                            AT_FDCWD, folder.c_str()) != 0) {
          *error = "cannot watch " + folder + ": " + std::strerror(errno);
          return false;
        }
      }
      return true;
    }
    for (const auto& mount : DataMountPoints()) {
      // A file-system mark covers every mount of it, in every mount namespace
      // (bind mounts, containers, a service's own namespace); older kernels
      // only know mount marks.
      const unsigned kinds[] = {FAN_MARK_FILESYSTEM, FAN_MARK_MOUNT};
      const bool ok = std::any_of(std::begin(kinds), std::end(kinds), [&](unsigned kind) {
        return ::fanotify_mark(fan, FAN_MARK_ADD | kind, FAN_OPEN_EXEC_PERM, AT_FDCWD, mount.c_str()) == 0;
      });
      if (ok) {
        marked.push_back(mount);
      } else {
        Log("skipping " + mount + ": " + std::strerror(errno));
      }
    }
    if (marked.empty()) *error = "no file system could be watched";
    return !marked.empty();
  }

  bool Listen(std::string* error) {
    const std::string& path = options.socketPath;
    sockaddr_un addr{};
    if (path.empty() || path.size() >= sizeof addr.sun_path) {
      *error = "socket path too long: " + path;
      return false;
    }
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.data(), path.size());
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
      if (!S_ISSOCK(st.st_mode)) {
        *error = path + " exists and is not a socket";
        return false;
      }
      const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
      const bool live = probe >= 0 && ::connect(probe, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
      if (probe >= 0) ::close(probe);
      if (live) {
        *error = "another guard is listening on " + path;
        return false;
      }
      ::unlink(path.c_str());  // left behind by a guard that died
    }
    listenFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listenFd < 0 || ::bind(listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
      *error = "cannot bind " + path + ": " + std::strerror(errno);
      return false;
    }
    socketBound = true;
    // The program runs as an ordinary user; who may answer is decided by
    // peer credentials at registration, not by the socket's mode.
    if (::chmod(path.c_str(), 0666) != 0 || ::listen(listenFd, 16) != 0) {
      *error = "cannot listen on " + path + ": " + std::strerror(errno);
      return false;
    }
    return true;
  }

  void Send(Client& c, const std::string& bytes) {
    if (c.closing) return;
    c.output += bytes;
    Flush(c);
    if (c.output.size() > kMaxOutput) c.closing = true;
  }

  void Flush(Client& c) {
    while (!c.output.empty()) {
      const ssize_t n = ::send(c.fd, c.output.data(), c.output.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n > 0) {
        c.output.erase(0, static_cast<size_t>(n));
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
      c.closing = true;
      return;
    }
  }

  void HandleStart(int eventFd, pid_t pid) {
    const pid_t self = ::getpid();
    if (registeredFd < 0 || IsSelfOrDescendant(pid, self) || IsSelfOrDescendant(pid, registeredPid) ||
        held.size() >= kMaxHeld) {
      Respond(eventFd, true);
      return;
    }
    const std::string path = ReadLink("/proc/self/fd/" + std::to_string(eventFd));
    auto expect = expected.find(pid);
    if (expect != expected.end()) {
      const bool match = IdentityOfFd(eventFd) == expect->second.file && Clock::now() < expect->second.until;
      expected.erase(expect);
      if (match) {
        ExpectInterpreter(pid, ExecInterpreterOfFd(eventFd));
        Respond(eventFd, true);
        return;
      }
    }
    uint32_t id = nextId++;
    if (id == 0) id = nextId++;
    held[id] = Held{eventFd, pid, ExecInterpreterOfFd(eventFd),
                    Clock::now() + std::chrono::milliseconds(options.takeLimitMs), false};
    // The new command line is not known while the start is held (the kernel
    // copies it later), and the starter's own would mislead: it stays empty.
    Send(clients.at(registeredFd),
         EncodeGuardFrame({GuardFrameType::kRequest, id, BuildStartPayload(path, "")}));
  }

  // False on a fatal error of the fanotify group.
  bool ReadEvents() {
    alignas(fanotify_event_metadata) char buffer[8192];
    for (;;) {
      const ssize_t n = ::read(fan, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno == EAGAIN) return true;
      if (n <= 0) {
        Log(std::string("reading events failed: ") + std::strerror(errno));
        return false;
      }
      ssize_t left = n;
      for (auto* m = reinterpret_cast<fanotify_event_metadata*>(buffer); FAN_EVENT_OK(m, left);
           m = FAN_EVENT_NEXT(m, left)) {
        if (m->vers != FANOTIFY_METADATA_VERSION) {
          Log("unknown fanotify metadata version");
          return false;
        }
        if (m->fd < 0) continue;
        if (m->mask & FAN_OPEN_EXEC_PERM) {
          HandleStart(m->fd, m->pid);
        } else {
          ::close(m->fd);
        }
      }
    }
  }

  void Accept() {
    for (;;) {
      const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
      if (fd < 0) return;
      ucred cred{};
      socklen_t len = sizeof cred;
      if (clients.size() >= kMaxClients || ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0) {
        ::close(fd);
        continue;
      }
      Client c;
      c.fd = fd;
      c.peerPid = cred.pid;
      c.registerBy = Clock::now() + std::chrono::milliseconds(options.registerLimitMs);
      clients.emplace(fd, std::move(c));
    }
  }

  bool MayRegister(const Client& c, uint32_t pid) const {
    if (registeredFd >= 0 && registeredFd != c.fd) return false;
    if (static_cast<pid_t>(pid) != c.peerPid) return false;
    if (options.clientExe.empty()) return true;
    return ReadLink("/proc/" + std::to_string(pid) + "/exe") == options.clientExe;
  }

  void HandleFrame(Client& c, const GuardFrame& f) {
    const bool isRegistered = c.fd == registeredFd;
    switch (f.type) {
      case GuardFrameType::kRegister: {
        const auto pid = GuardFrameNumber(f);
        const bool ok = pid && MayRegister(c, *pid);
        if (ok) {
          registeredFd = c.fd;
          registeredPid = c.peerPid;
        }
        Send(c, EncodeGuardFrame({GuardFrameType::kRegisterResult, 0, std::string(1, ok ? '\1' : '\0')}));
        return;
      }
      case GuardFrameType::kDeregister:
        if (isRegistered) Unregister();
        return;
      case GuardFrameType::kTaken: {
        auto it = held.find(f.id);
        if (isRegistered && it != held.end() && !it->second.taken) {
          it->second.taken = true;
          it->second.deadline = Clock::now() + std::chrono::milliseconds(options.decisionLimitMs);
        }
        return;
      }
      case GuardFrameType::kReply: {
        // Anyone else's answer is ignored: only the registered program decides.
        if (!isRegistered) return;
        const auto answer = GuardFrameNumber(f);
        if (!answer || (*answer != kStartAllowed && *answer != kStartBlocked)) {
          c.closing = true;
          return;
        }
        Finish(f.id, *answer == kStartAllowed);
        return;
      }
      default:
        c.closing = true;  // frames only the guard sends
    }
  }

  void ReadClient(Client& c) {
    char buffer[4096];
    for (;;) {
      const ssize_t n = ::recv(c.fd, buffer, sizeof buffer, MSG_DONTWAIT);
      if (n > 0) {
        c.reader.Append(std::string_view(buffer, static_cast<size_t>(n)));
        while (!c.closing) {
          const auto frame = c.reader.Next();
          if (!frame) break;
          HandleFrame(c, *frame);
        }
        if (c.reader.Failed()) c.closing = true;
        if (c.closing) return;
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
      c.closing = true;  // end of stream or error
      return;
    }
  }

  void DropClosedClients() {
    for (auto it = clients.begin(); it != clients.end();) {
      if (!it->second.closing) {
        ++it;
        continue;
      }
      if (it->first == registeredFd) Unregister();
      ::close(it->first);
      it = clients.erase(it);
    }
  }

  void ExpireHeld() {
    const auto now = Clock::now();
    for (auto it = held.begin(); it != held.end();) {
      const uint32_t id = it->first;
      const bool due = it->second.deadline <= now;
      ++it;
      if (due) Finish(id, true);
    }
    for (auto& [fd, c] : clients) {
      if (fd != registeredFd && c.registerBy <= now) c.closing = true;
    }
    for (auto it = expected.begin(); it != expected.end();) {
      it = it->second.until <= now ? expected.erase(it) : std::next(it);
    }
  }

  int PollTimeoutMs() const {
    std::optional<Clock::time_point> first;
    const auto consider = [&first](Clock::time_point t) { first = first ? std::min(*first, t) : t; };
    for (const auto& [id, h] : held) consider(h.deadline);
    for (const auto& [fd, c] : clients) {
      if (fd != registeredFd) consider(c.registerBy);
    }
    if (!expected.empty()) consider(Clock::now() + kInterpreterGrace);
    if (!first) return -1;
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(*first - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(ms, 0, INT_MAX));
  }
};

GuardServer::GuardServer() : impl_(std::make_unique<Impl>()) {}
GuardServer::~GuardServer() = default;

bool GuardServer::Start(const GuardOptions& options, std::string* error) {
  std::string ignored;
  if (!error) error = &ignored;
  Impl& s = *impl_;
  s.options = options;
  // Every held start keeps a descriptor open.
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
  }
  s.fan = ::fanotify_init(FAN_CLASS_CONTENT | FAN_CLOEXEC | FAN_NONBLOCK, O_RDONLY | O_LARGEFILE | O_CLOEXEC);
  if (s.fan < 0) {
    *error = std::string("fanotify is not available: ") + std::strerror(errno);
    return false;
  }
  return s.MarkWatch(error) && s.Listen(error);
}

bool GuardServer::Run(int stopFd) {
  Impl& s = *impl_;
  if (s.fan < 0 || s.listenFd < 0) return false;
  bool ok = true;
  for (;;) {
    std::vector<pollfd> fds;
    fds.push_back({stopFd, POLLIN, 0});
    fds.push_back({s.fan, POLLIN, 0});
    fds.push_back({s.listenFd, POLLIN, 0});
    for (const auto& [fd, c] : s.clients) {
      fds.push_back({fd, static_cast<short>(POLLIN | (c.output.empty() ? 0 : POLLOUT)), 0});
    }
    const int r = ::poll(fds.data(), fds.size(), s.PollTimeoutMs());
    if (r < 0 && errno != EINTR) {
      Log(std::string("poll failed: ") + std::strerror(errno));
      ok = false;
      break;
    }
    s.ExpireHeld();
    s.DropClosedClients();
    if (r <= 0) continue;
    if (fds[0].revents) break;
    if (fds[1].revents && !s.ReadEvents()) {
      ok = false;
      break;
    }
    if (fds[2].revents) s.Accept();
    for (size_t i = 3; i < fds.size(); ++i) {
      auto it = s.clients.find(fds[i].fd);
      if (it == s.clients.end() || !fds[i].revents) continue;
      if (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) s.ReadClient(it->second);
      if (fds[i].revents & POLLOUT) s.Flush(it->second);
    }
    s.DropClosedClients();
  }
  s.AllowAll();
  return ok;
}

int OpenStopSignalFd() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGHUP);
  if (::sigprocmask(SIG_BLOCK, &set, nullptr) != 0) return -1;
  ::signal(SIGPIPE, SIG_IGN);
  return ::signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
}

}  // namespace zq::guard
