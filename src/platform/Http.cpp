#include "platform/Http.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/Yield.h"

namespace zq {
namespace {

using Clock = std::chrono::steady_clock;

// Longest wait between two yields while the network is quiet.
constexpr int kPollSliceMs = 15;
// Body bytes held for the reader before the transfer is paused.
constexpr size_t kHighWater = 1 << 20;
// The library's receive block; large blocks keep a fast transfer cheap.
constexpr long kReceiveBlock = 256 * 1024;
// Headers beyond this are hostile or broken; no caller needs them.
constexpr size_t kMaxRawHeaders = 64 * 1024;

bool GlobalInit() {
  static const bool ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return ok;
}

char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameAsciiName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

constexpr char kHex[] = "0123456789ABCDEF";

void AppendEscaped(std::string& out, unsigned char c) {
  out += '%';
  out += kHex[c >> 4];
  out += kHex[c & 15];
}

}  // namespace

struct HttpGet::Impl {
  CURLM* multi = nullptr;
  CURL* easy = nullptr;
  bool opened = false;    // Open was called (one per object)
  bool attached = false;  // easy handle is in the multi handle
  std::atomic<bool> cancelled{false};
  bool closePending = false;
  int busy = 0;

  std::string raw;
  bool headersDone = false;
  bool headersTooLarge = false;
  int status = 0;

  std::vector<char> buf;
  size_t rpos = 0;
  size_t wpos = 0;
  bool paused = false;

  bool done = false;
  CURLcode result = CURLE_OK;
  bool stalled = false;
  Clock::time_point lastActivity;
  HttpLimits limits;

  size_t Buffered() const { return wpos - rpos; }

  static size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto* self = static_cast<Impl*>(user);
    const size_t n = size * count;
    if (self->cancelled) return 0;
    self->lastActivity = Clock::now();
    std::string_view line(data, n);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    if (line.substr(0, 5) == "HTTP/") {
      // A new response (after a redirect or an interim 1xx) replaces the last.
      self->raw.clear();
      self->headersDone = false;
    }
    if (line.empty()) {
      long code = 0;
      curl_easy_getinfo(self->easy, CURLINFO_RESPONSE_CODE, &code);
      // A redirect that the library goes on to follow is not the answer; one
      // it does not follow ends the transfer, which also ends the wait.
      const bool redirect = code >= 300 && code < 400 && FindRawHeader(self->raw, "Location");
      if (code >= 200 && !redirect) {
        self->status = static_cast<int>(code);
        self->headersDone = true;
      }
      return n;
    }
    if (self->raw.size() + line.size() + 1 > kMaxRawHeaders) {
      self->headersTooLarge = true;
      return 0;
    }
    self->raw.append(line);
    self->raw.push_back('\0');
    return n;
  }

  static size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto* self = static_cast<Impl*>(user);
    const size_t n = size * count;
    if (self->cancelled) return 0;
    self->lastActivity = Clock::now();
    self->headersDone = true;
    if (self->Buffered() >= kHighWater) {
      self->paused = true;
      return CURL_WRITEFUNC_PAUSE;
    }
    if (self->buf.size() - self->wpos < n) {
      if (self->rpos > 0) {
        std::memmove(self->buf.data(), self->buf.data() + self->rpos, self->Buffered());
        self->wpos -= self->rpos;
        self->rpos = 0;
      }
      if (self->buf.size() - self->wpos < n) self->buf.resize(self->wpos + n);
    }
    std::memcpy(self->buf.data() + self->wpos, data, n);
    self->wpos += n;
    return n;
  }

  void Detach() {
    if (attached) curl_multi_remove_handle(multi, easy);
    attached = false;
  }

  void Free() {
    Detach();
    if (easy) curl_easy_cleanup(easy);
    if (multi) curl_multi_cleanup(multi);
    easy = nullptr;
    multi = nullptr;
    std::vector<char>().swap(buf);
    rpos = wpos = 0;
  }

  bool Stopped() const { return cancelled || closePending || !attached; }

  // Lets the library work on what has arrived and notes the end of the transfer.
  void Drive() {
    int running = 0;
    curl_multi_perform(multi, &running);
    int left = 0;
    while (CURLMsg* msg = curl_multi_info_read(multi, &left)) {
      if (msg->msg == CURLMSG_DONE) {
        done = true;
        result = msg->data.result;
        // The library refuses a single header line beyond its own limit this way.
        if (!headersDone && result == CURLE_OUT_OF_MEMORY) headersTooLarge = true;
        if (!headersDone && result == CURLE_OK && !raw.empty()) {
          // A redirect the library did not follow is the final answer after all.
          long code = 0;
          curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &code);
          status = static_cast<int>(code);
          headersDone = true;
        }
      }
    }
  }

  // Drives the transfer until `ready()` holds, the transfer ends, a limit is
  // hit or the request is cancelled, yielding between polls.
  template <typename Ready>
  void WaitFor(Ready ready) {
    const auto start = Clock::now();
    while (!Stopped()) {
      Drive();
      if (ready() || done) return;
      const auto now = Clock::now();
      if (now - std::max(lastActivity, start) >= limits.stall) {
        stalled = true;
        Detach();
        return;
      }
      Yield();
      if (Stopped()) return;
      curl_multi_poll(multi, nullptr, 0, kPollSliceMs, nullptr);
    }
  }

  // Frees the connection when a Close() came in during a call that has now ended.
  void Leave() {
    if (--busy == 0 && closePending) Free();
  }
};

HttpGet::HttpGet() : impl_(std::make_unique<Impl>()) {
  if (!GlobalInit()) return;
  impl_->multi = curl_multi_init();
  impl_->easy = curl_easy_init();
}

HttpGet::~HttpGet() {
  impl_->Free();
}

bool HttpGet::Ready() const {
  return impl_->multi != nullptr && impl_->easy != nullptr;
}

bool HttpGet::Open(const std::string& url, const HttpRequestOptions& options) {
  Impl& d = *impl_;
  if (!Ready() || d.opened || d.cancelled || d.closePending) return false;
  d.opened = true;
  d.limits = options.limits;
  const std::string escaped = EscapeUrlUnsafe(url);
  CURL* e = d.easy;
  curl_easy_setopt(e, CURLOPT_URL, escaped.c_str());
  curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_USERAGENT, options.userAgent.c_str());
  curl_easy_setopt(e, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(e, CURLOPT_MAXREDIRS, 10L);
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(e, CURLOPT_FORBID_REUSE, 1L);
  curl_easy_setopt(e, CURLOPT_BUFFERSIZE, kReceiveBlock);
  curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options.limits.connect.count()));
  if (options.limits.total.count() > 0) {
    curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, static_cast<long>(options.limits.total.count()));
  }
  if (options.direct) curl_easy_setopt(e, CURLOPT_PROXY, "");
  if (getenv("ZQ_CURL_VERBOSE")) curl_easy_setopt(e, CURLOPT_VERBOSE, 1L);
  curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &Impl::OnHeader);
  curl_easy_setopt(e, CURLOPT_HEADERDATA, &d);
  curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &Impl::OnBody);
  curl_easy_setopt(e, CURLOPT_WRITEDATA, &d);
  if (curl_multi_add_handle(d.multi, e) != CURLM_OK) return false;
  d.attached = true;
  d.lastActivity = Clock::now();

  ++d.busy;
  d.WaitFor([&d] { return d.headersDone; });
  const bool ok = d.headersDone && !d.cancelled && !d.closePending && !d.stalled;
  d.Leave();
  return ok;
}

const std::string& HttpGet::RawHeaders() const {
  return impl_->raw;
}

int HttpGet::Status() const {
  return impl_->status;
}

bool HttpGet::HeadersTooLarge() const {
  return impl_->headersTooLarge;
}

size_t HttpGet::Read(char* buffer, size_t size) {
  Impl& d = *impl_;
  if (!d.headersDone) return 0;
  ++d.busy;
  size_t got = 0;
  while (got < size) {
    const size_t take = std::min(size - got, d.Buffered());
    if (take > 0) {
      std::memcpy(buffer + got, d.buf.data() + d.rpos, take);
      d.rpos += take;
      got += take;
      if (d.rpos == d.wpos) d.rpos = d.wpos = 0;
      continue;
    }
    if (d.Stopped()) break;
    if (d.paused) {
      // The buffer is drained: let the held data in (the call may deliver it at once).
      d.paused = false;
      curl_easy_pause(d.easy, CURLPAUSE_CONT);
      continue;
    }
    if (d.done) break;
    d.WaitFor([&d] { return d.Buffered() > 0; });
    if (d.Buffered() == 0 && (d.done || d.Stopped())) break;
  }
  d.Leave();
  return got;
}

HttpEnd HttpGet::End() const {
  const Impl& d = *impl_;
  if (d.cancelled || d.closePending) return HttpEnd::kCancelled;
  if (d.stalled || (d.done && d.result == CURLE_OPERATION_TIMEDOUT)) return HttpEnd::kTimedOut;
  if (!d.done) return d.attached ? HttpEnd::kOpen : HttpEnd::kFailed;
  if (d.result != CURLE_OK) return HttpEnd::kFailed;
  if (d.status == 204 || d.status == 304) return HttpEnd::kFramed;
  if (auto te = FindRawHeader(d.raw, "Transfer-Encoding")) {
    std::string lower(*te);
    std::transform(lower.begin(), lower.end(), lower.begin(), AsciiLower);
    if (lower.find("chunked") != std::string::npos) return HttpEnd::kFramed;
  }
  if (FindRawHeader(d.raw, "Content-Length")) return HttpEnd::kFramed;
  return HttpEnd::kUnframed;
}

void HttpGet::Cancel() {
  impl_->cancelled = true;
}

void HttpGet::Close() {
  Impl& d = *impl_;
  d.cancelled = true;
  if (d.busy > 0) {
    d.closePending = true;
    return;
  }
  d.Free();
}

std::optional<std::string_view> FindRawHeader(std::string_view rawHeaders, std::string_view name) {
  bool first = true;
  while (!rawHeaders.empty()) {
    const size_t end = rawHeaders.find('\0');
    std::string_view line = rawHeaders.substr(0, end);
    rawHeaders = end == std::string_view::npos ? std::string_view() : rawHeaders.substr(end + 1);
    if (std::exchange(first, false)) continue;  // the status line
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    if (SameAsciiName(TrimBlanks(line.substr(0, colon)), name)) return TrimBlanks(line.substr(colon + 1));
  }
  return std::nullopt;
}

std::string PercentEncode(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (const char ch : value) {
    const auto c = static_cast<unsigned char>(ch);
    const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                            c == '-' || c == '.' || c == '_' || c == '~';
    if (unreserved) {
      out += ch;
    } else {
      AppendEscaped(out, c);
    }
  }
  return out;
}

std::string EscapeUrlUnsafe(std::string_view url) {
  std::string out;
  out.reserve(url.size());
  for (const char ch : url) {
    const auto c = static_cast<unsigned char>(ch);
    if (c <= 0x20 || c >= 0x7F || std::strchr("\"<>\\^`{|}", ch) != nullptr) {
      AppendEscaped(out, c);
    } else {
      out += ch;
    }
  }
  return out;
}

}  // namespace zq
