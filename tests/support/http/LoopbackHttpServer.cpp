#include "support/http/LoopbackHttpServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace zq::test {

struct LoopbackHttpServer::Impl {
  httplib::Server server;
  std::thread thread;
  int port = 0;

  mutable std::mutex mutex;
  std::condition_variable wake;
  bool stopping = false;
  std::map<std::string, std::shared_ptr<const HttpReply>> replies;
  std::vector<RecordedRequest> requests;

  // Sleeps, but wakes at once when the server stops. False when stopping.
  bool Pause(std::chrono::milliseconds ms) {
    std::unique_lock lock(mutex);
    if (ms.count() <= 0) return !stopping;
    wake.wait_for(lock, ms, [this] { return stopping; });
    return !stopping;
  }

  void HangUntilStopped() {
    std::unique_lock lock(mutex);
    wake.wait(lock, [this] { return stopping; });
  }

  // Writes body bytes [offset, end) in scripted pieces; false when the
  // connection should be dropped.
  bool SendPieces(const HttpReply& r, size_t offset, size_t end, httplib::DataSink& sink) {
    while (offset < end) {
      const size_t n = std::min(r.pieceSize, end - offset);
      if (!sink.write(r.body.data() + offset, n)) return false;
      offset += n;
      if (offset < end && !Pause(r.pieceDelay)) return false;
    }
    return true;
  }

  size_t SentLimit(const HttpReply& r) const { return std::min(r.sendBytes, r.body.size()); }

  // After the last scripted byte: either the body is complete, or the
  // connection drops or falls silent.
  bool Finish(const HttpReply& r, bool cutShort = false) {
    if (r.sendBytes == HttpReply::kAll && !cutShort) return true;
    if (r.then == HttpReply::Then::kHang) HangUntilStopped();
    return false;
  }

  void Handle(const httplib::Request& req, httplib::Response& res) {
    std::shared_ptr<const HttpReply> reply;
    {
      std::lock_guard lock(mutex);
      requests.push_back({req.method + " " + req.target + " " + req.version, req.target,
                          req.get_header_value("User-Agent")});
      const auto it = replies.find(req.path);
      if (it != replies.end()) reply = it->second;
    }
    if (!reply) {
      res.status = 404;
      res.set_content("<html><body><h1>404 Not Found</h1></body></html>", "text/html");
      return;
    }
    const HttpReply& r = *reply;
    if (r.neverReply) {
      HangUntilStopped();
      return;
    }
    if (!Pause(r.delay)) return;
    res.status = r.status;
    std::string type = "application/octet-stream";
    for (const auto& [name, value] : r.headers) {
      if (strcasecmp(name.c_str(), "Content-Type") == 0) {
        type = value;
      } else {
        res.set_header(name, value);
      }
    }
    switch (r.framing) {
      case HttpReply::Framing::kLength: {
        const size_t length = r.declaredLength >= 0 ? static_cast<size_t>(r.declaredLength) : r.body.size();
        if (length == 0) {
          res.set_content("", type);
          break;
        }
        res.set_content_provider(length, type,
                                 [this, reply](size_t offset, size_t rest, httplib::DataSink& sink) {
                                   const size_t end = std::min(SentLimit(*reply), offset + rest);
                                   if (offset < end && !SendPieces(*reply, offset, end, sink)) return false;
                                   if (end == offset + rest && reply->sendBytes == HttpReply::kAll)
                                     return true;
                                   return Finish(*reply, true);
                                 });
        break;
      }
      case HttpReply::Framing::kChunked:
        res.set_chunked_content_provider(type, [this, reply](size_t offset, httplib::DataSink& sink) {
          if (!SendPieces(*reply, offset, SentLimit(*reply), sink) || !Finish(*reply)) return false;
          sink.done();
          return true;
        });
        break;
      case HttpReply::Framing::kClose:
        res.set_content_provider(type, [this, reply](size_t offset, httplib::DataSink& sink) {
          if (!SendPieces(*reply, offset, SentLimit(*reply), sink) || !Finish(*reply)) return false;
          sink.done();
          return true;
        });
        break;
    }
  }
};

LoopbackHttpServer::LoopbackHttpServer() : impl_(std::make_unique<Impl>()) {
  Impl& d = *impl_;
  // One request per connection: nothing lingers when a test ends.
  d.server.set_keep_alive_max_count(1);
  d.server.set_keep_alive_timeout(1);
  d.server.set_read_timeout(std::chrono::seconds(5));
  d.server.Get(".*", [&d](const httplib::Request& req, httplib::Response& res) { d.Handle(req, res); });
  d.port = d.server.bind_to_any_port("127.0.0.1");
  d.thread = std::thread([&d] { d.server.listen_after_bind(); });
  // Until the accept loop runs, stop() cannot reach it.
  for (int i = 0; i < 5000 && !d.server.is_running(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

LoopbackHttpServer::~LoopbackHttpServer() {
  {
    std::lock_guard lock(impl_->mutex);
    impl_->stopping = true;
  }
  impl_->wake.notify_all();
  impl_->server.stop();
  impl_->thread.join();
}

void LoopbackHttpServer::Serve(const std::string& path, HttpReply reply) {
  std::lock_guard lock(impl_->mutex);
  impl_->replies[path] = std::make_shared<const HttpReply>(std::move(reply));
}

int LoopbackHttpServer::port() const {
  return impl_->port;
}

std::string LoopbackHttpServer::Url(std::string_view target) const {
  return "http://127.0.0.1:" + std::to_string(impl_->port) + std::string(target);
}

std::vector<RecordedRequest> LoopbackHttpServer::Requests() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->requests;
}

namespace {

int BoundPort(int fd) {
  sockaddr_in addr{};
  socklen_t len = sizeof addr;
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) return 0;
  return ntohs(addr.sin_port);
}

int LoopbackSocket(int port, bool doListen, int backlog) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<uint16_t>(port));
  if (doListen) {
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, backlog) != 0) {
      ::close(fd);
      return -1;
    }
    return fd;
  }
  ::fcntl(fd, F_SETFL, O_NONBLOCK);
  ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  return fd;
}

// True when a non-blocking connect has completed within `ms`.
bool Connected(int fd, int ms) {
  pollfd p{fd, POLLOUT, 0};
  if (::poll(&p, 1, ms) != 1) return false;
  int err = 0;
  socklen_t len = sizeof err;
  return ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) == 0 && err == 0;
}

}  // namespace

UnansweredPort::UnansweredPort() {
  listener_ = LoopbackSocket(0, true, 0);
  if (listener_ < 0) return;
  port_ = BoundPort(listener_);
  // Fill the accept queue; once a further attempt stays pending, so will the client's.
  for (int i = 0; i < 8; ++i) {
    const int fd = LoopbackSocket(port_, false, 0);
    if (fd < 0) return;
    fillers_.push_back(fd);
    if (!Connected(fd, 100)) {
      ok_ = true;
      return;
    }
  }
}

UnansweredPort::~UnansweredPort() {
  for (const int fd : fillers_) ::close(fd);
  if (listener_ >= 0) ::close(listener_);
}

std::string UnansweredPort::Url(std::string_view target) const {
  return "http://127.0.0.1:" + std::to_string(port_) + std::string(target);
}

int ClosedPort() {
  const int fd = LoopbackSocket(0, true, 1);
  if (fd < 0) return 1;
  const int port = BoundPort(fd);
  ::close(fd);
  return port;
}

std::string QueryValue(std::string_view target, std::string_view name) {
  const size_t q = target.find('?');
  if (q == std::string_view::npos) return "";
  std::string_view query = target.substr(q + 1);
  while (!query.empty()) {
    const size_t amp = query.find('&');
    const std::string_view pair = query.substr(0, amp);
    query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
    const size_t eq = pair.find('=');
    if (pair.substr(0, eq) != name) continue;
    std::string out;
    const std::string_view value = eq == std::string_view::npos ? std::string_view() : pair.substr(eq + 1);
    for (size_t i = 0; i < value.size(); ++i) {
      if (value[i] == '%' && i + 2 < value.size()) {
        out += static_cast<char>(std::stoi(std::string(value.substr(i + 1, 2)), nullptr, 16));
        i += 2;
      } else {
        out += value[i];
      }
    }
    return out;
  }
  return "";
}

std::string PatternBody(size_t size) {
  std::string body(size, '\0');
  for (size_t i = 0; i < size; ++i) body[i] = static_cast<char>((i * 131 + i / 1024) & 0xFF);
  return body;
}

}  // namespace zq::test
