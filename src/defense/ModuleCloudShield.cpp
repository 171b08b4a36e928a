#include "defense/ModuleCloudShield.h"

#include <chrono>
#include <optional>
#include <utility>

#include "platform/Encoding.h"
#include "storage/Settings.h"

namespace zq {
namespace {

using namespace std::chrono_literals;

constexpr const char* kAgentName = "Dovecrest";
constexpr size_t kReadPiece = 1024;
// An answer is a verdict and a line of text; anything far longer is not one.
constexpr size_t kMaxAnswer = 64 * 1024;

HttpLimits& Limits() {
  static HttpLimits limits{5000ms, 5000ms, 5000ms};
  return limits;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    const auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
    if (upper(text[i]) != upper(prefix[i])) return false;
  }
  return true;
}

std::string FullUrl(const std::string& url) {
  if (StartsWithNoCase(url, "http://") || StartsWithNoCase(url, "https://")) return url;
  std::string base = CloudServerAddress();
  if (!url.empty() && url.front() != '/') base += '/';
  return base + url;
}

// The body of one request on a connection of its own, decoded; nullopt when
// the request failed or the body did not arrive whole.
std::optional<std::string> Fetch(const std::string& url) {
  HttpGet get;
  if (!get.Ready()) return std::nullopt;
  HttpRequestOptions options;
  options.userAgent = kAgentName;
  options.direct = true;
  options.limits = Limits();
  if (!get.Open(FullUrl(url), options)) return std::nullopt;
  std::string body;
  char piece[kReadPiece];
  while (const size_t n = get.Read(piece, kReadPiece)) {
    body.append(piece, n);
    if (body.size() > kMaxAnswer) return std::nullopt;
  }
  const HttpEnd end = get.End();
  if (end != HttpEnd::kFramed && end != HttpEnd::kUnframed) return std::nullopt;
  return DecodeLegacyText(body);
}

}  // namespace

std::string QueryCloudShield(const std::string& url) {
  constexpr std::string_view kPrefix = "Cloud$";
  const auto body = Fetch(url);
  if (!body || !StartsWithNoCase(*body, kPrefix)) return "";
  return body->substr(kPrefix.size());
}

void SendMonitorReport(const std::string& url) {
  Fetch(url);
}

std::string CloudAskPath(std::string_view fingerprint) {
  return "/cloudsafe/ask.asp?Hash=" + PercentEncode(fingerprint);
}

std::string CloudAnswerPath(std::string_view fingerprint, std::string_view path, bool allowed,
                            bool remembered) {
  return "/cloudsafe/answer.asp?Hash=" + PercentEncode(fingerprint) + "&File=" + PercentEncode(path) +
         (allowed ? "&Flag=A" : "&Flag=B") + (remembered ? "&Value=10" : "&Value=1");
}

std::string MonitorReportPath(std::string_view virus) {
  return "/monitor/?virus=" + PercentEncode(virus);
}

std::string CloudServerAddress() {
  std::string base = Settings::Live().Text("Server", "CloudServer");
  if (base.empty()) base = ShippedSetting("Server", "CloudServer");
  while (!base.empty() && base.back() == '/') base.pop_back();
  return base;
}

HttpLimits SetCloudShieldLimits(const HttpLimits& limits) {
  return std::exchange(Limits(), limits);
}

}  // namespace zq
