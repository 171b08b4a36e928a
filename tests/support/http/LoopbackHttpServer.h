#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zq::test {

// What the server answers for one path: a test scripts status, headers, body
// and how the body travels (length, chunks, until close), and how it fails.
struct HttpReply {
  enum class Framing { kLength, kChunked, kClose };
  enum class Then { kDrop, kHang };
  static constexpr size_t kAll = static_cast<size_t>(-1);

  int status = 200;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;
  Framing framing = Framing::kLength;
  // Content-Length announced instead of the body's size (kLength only).
  long long declaredLength = -1;
  // Only this many body bytes go out; then the connection is dropped or the
  // server falls silent until it stops.
  size_t sendBytes = kAll;
  Then then = Then::kDrop;
  // Silence before the headers; `neverReply` holds them back for good.
  std::chrono::milliseconds delay{0};
  bool neverReply = false;
  // The body goes out in pieces of this size with a pause between them.
  size_t pieceSize = 64 * 1024;
  std::chrono::milliseconds pieceDelay{0};
};

struct RecordedRequest {
  std::string line;  // "GET /path?query HTTP/1.1" exactly as received
  std::string target;
  std::string userAgent;
};

// HTTP server on 127.0.0.1 (port chosen by the system) running in threads of
// the test process. Unscripted paths answer 404 with a small page.
class LoopbackHttpServer {
 public:
  LoopbackHttpServer();
  ~LoopbackHttpServer();
  LoopbackHttpServer(const LoopbackHttpServer&) = delete;
  LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

  // Scripts the answer for a path (the part before "?", percent-decoded).
  void Serve(const std::string& path, HttpReply reply);
  int port() const;
  // "http://127.0.0.1:PORT" followed by `target`.
  std::string Url(std::string_view target = "") const;
  std::vector<RecordedRequest> Requests() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// A listening port that never completes a connection: its queue is full, so
// new connection attempts hang. `ok()` is false when the system accepts anyway.
class UnansweredPort {
 public:
  UnansweredPort();
  ~UnansweredPort();
  UnansweredPort(const UnansweredPort&) = delete;
  UnansweredPort& operator=(const UnansweredPort&) = delete;
  bool ok() const { return ok_; }
  std::string Url(std::string_view target = "") const;

 private:
  int listener_ = -1;
  std::vector<int> fillers_;
  int port_ = 0;
  bool ok_ = false;
};

// A port on 127.0.0.1 with nothing listening (connections are refused).
int ClosedPort();

// Percent-decoded value of `name` in the query of a request target ("" when absent).
std::string QueryValue(std::string_view target, std::string_view name);

// Body bytes that are easy to check: byte i is a function of i.
std::string PatternBody(size_t size);

}  // namespace zq::test
