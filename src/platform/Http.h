#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace zq {

// Limits of one request. An unanswered server must never hold the caller:
// every request has a connect limit and a limit on silence (no byte of the
// response for that long while we wait for one); a total limit is optional.
struct HttpLimits {
  std::chrono::milliseconds connect{15000};
  std::chrono::milliseconds stall{30000};
  std::chrono::milliseconds total{0};  // 0: no total limit
};

struct HttpRequestOptions {
  std::string userAgent;
  // Direct connection; false lets the environment's proxy settings apply.
  bool direct = true;
  HttpLimits limits;
};

// How a response body ended, once it has.
enum class HttpEnd {
  kOpen,       // still running (or never opened)
  kFramed,     // complete by the response's own framing (length or chunked)
  kUnframed,   // ended by the server closing the connection: cannot tell from a drop
  kFailed,     // broken off: short body, bad chunk, reset, refused
  kTimedOut,   // a limit of HttpLimits hit
  kCancelled,  // Cancel() or Close() came first
};

// One HTTP GET, driven on the caller's thread. Waiting for the network gives
// the event loop a turn through Yield() every few milliseconds instead of
// blocking, so a window stays responsive and may cancel from inside a yield.
class HttpGet {
 public:
  HttpGet();
  ~HttpGet();
  HttpGet(const HttpGet&) = delete;
  HttpGet& operator=(const HttpGet&) = delete;

  // False when the HTTP library could not give us a handle.
  bool Ready() const;

  // Sends the request and waits until the response headers are in (redirects
  // are followed). False when the address cannot be reached, a limit was hit,
  // or the request was cancelled meanwhile. One Open per object.
  bool Open(const std::string& url, const HttpRequestOptions& options);

  // Status line and header lines of the final response, each ended by a NUL.
  const std::string& RawHeaders() const;
  int Status() const;
  // True when Open failed because the response headers were too large: the
  // server was reached and answered, just not in a form anyone accepts.
  bool HeadersTooLarge() const;

  // Fills `buffer` with up to `size` body bytes, waiting (and yielding) as
  // needed. Returns fewer than `size` only at the end of the body, on an
  // error, on a time-out or when cancelled; End() tells which.
  size_t Read(char* buffer, size_t size);

  HttpEnd End() const;

  // Stops the request at the next chance; safe from a yield inside Open or
  // Read, and from another thread while the object lives.
  void Cancel();
  // Cancels and frees the connection. From a yield inside Open or Read the
  // freeing waits until that call has returned.
  void Close();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Value of the first header line called `name` (ASCII case ignored) in raw
// headers as HttpGet::RawHeaders() gives them, blanks around it removed.
std::optional<std::string_view> FindRawHeader(std::string_view rawHeaders, std::string_view name);

// Percent-encodes every byte of a value except the unreserved characters
// (letters, digits, "-", ".", "_", "~"); non-ASCII goes as its UTF-8 bytes.
std::string PercentEncode(std::string_view value);

// Percent-encodes the bytes that can never stand raw in a URL (blanks,
// controls, non-ASCII, quotes, "<>\^`{|}") and leaves the rest, "%" included,
// so an address built by plain concatenation still goes out intact.
std::string EscapeUrlUnsafe(std::string_view url);

}  // namespace zq
