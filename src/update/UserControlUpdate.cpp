#include "update/UserControlUpdate.h"

#include <array>
#include <cstdint>
#include <string_view>

#include "platform/Directory.h"
#include "platform/FileOps.h"
#include "platform/FileWriter.h"
#include "platform/Yield.h"

namespace zq {
namespace {

constexpr const char* kNoInternet = "创建网络连接失败。";
constexpr const char* kNoServer = "无法连接到升级服务器。";

// The headers GetHeader knows, by the upper-case form of the asked name.
struct KnownHeader {
  std::string_view upper;
  std::string_view name;
};
constexpr KnownHeader kKnownHeaders[] = {
    {"CONTENT-LENGTH", "Content-Length"},
    {"CONTENT-TYPE", "Content-Type"},
    {"DATE", "Date"},
    {"LAST-MODIFIED", "Last-Modified"},
    {"SERVER", "Server"},
};

std::string AsciiUpper(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::string TrimSpaces(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return std::string(s);
}

// The number a text starts with, 0 when it starts with none.
std::int64_t LeadingInteger(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  std::int64_t value = 0;
  for (const char c : s) {
    if (c < '0' || c > '9') break;
    if (value > (INT64_MAX - 9) / 10) return -1;  // no body can be that long
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

UserControlUpdate::UserControlUpdate() = default;

UserControlUpdate::~UserControlUpdate() {
  CancelDownload();
}

void UserControlUpdate::RaiseError(const char* text) {
  std::string message = text;
  if (ErrorMassage) ErrorMassage(message);
}

bool UserControlUpdate::Init() {
  // A new transfer replaces whatever the control was doing.
  CancelDownload();
  const auto session = ++session_;
  rawHeaders_.clear();
  downloadActive_ = true;

  const auto request = std::make_shared<HttpGet>();
  request_ = request;
  if (!request->Ready()) {
    CancelDownload();
    RaiseError(kNoInternet);
    return false;
  }

  HttpRequestOptions options;
  options.userAgent = kAgentName;
  options.direct = false;  // the user's proxy settings apply to updates
  options.limits = limits_;
  const bool opened = request->Open(URL, options);
  if (session_ != session) return false;  // a handler started another transfer meanwhile
  if (!downloadActive_) {
    CancelDownload();
    return false;
  }
  // The headers and their closing NUL must fit the buffer; headers too large
  // for the HTTP layer fail the same way, without a message.
  if (request->HeadersTooLarge() || request->RawHeaders().size() + 1 > kRawHeaderBufferSize) {
    CancelDownload();
    return false;
  }
  if (!opened) {
    CancelDownload();
    RaiseError(kNoServer);
    return false;
  }
  rawHeaders_ = request->RawHeaders();
  return true;
}

bool UserControlUpdate::StartUpdate() {
  if (!downloadActive_) {
    CancelDownload();
    return false;
  }
  const auto session = session_;
  const auto request = request_;
  // True when a handler started another transfer during a yield or an event:
  // this one then ends quietly and leaves the control to the new one.
  const auto superseded = [&] { return session_ != session; };

  const std::string target = TrimSpaces(SaveFile);
  const std::string temporary = target + ".bak";
  if (PathKind(temporary) != EntryKind::Missing) {
    RemoveFile(temporary);
    Yield();
    if (superseded()) return false;
  }

  BufferedFileWriter file;
  bool written = file.Create(temporary);
  std::int64_t received = 0;
  std::array<char, kBlockSize> block{};
  while (true) {
    const size_t n = downloadActive_ ? request->Read(block.data(), kBlockSize) : 0;
    if (n < kBlockSize && !downloadActive_) {
      // Cancelled before or while this block came in: as good as after a full block.
      file.Close();
      if (!superseded()) CancelDownload();
      return false;
    }
    Yield();
    if (superseded()) return false;
    if (n == kBlockSize) {
      if (!downloadActive_) {
        file.Close();
        CancelDownload();
        return false;
      }
      written = file.Write(block.data(), n) && written;
    } else {
      for (size_t i = 0; i < n; ++i) {
        written = file.Write(&block[i], 1) && written;
        Yield();
        if (superseded()) return false;
      }
    }
    received += static_cast<std::int64_t>(n);
    std::int64_t progress = received;
    if (DownloadProcess) DownloadProcess(progress);
    if (superseded()) return false;
    if (n < kBlockSize) break;
  }
  written = file.Commit() && written;

  // A body counts as complete when it has as many bytes as announced, or,
  // without an announced length, when its chunks ended properly. A cancel,
  // an error status or a failed write never replaces the target.
  bool complete = written && downloadActive_ && request->Status() >= 200 && request->Status() < 300;
  if (complete) {
    if (FindRawHeader(rawHeaders_, "Content-Length")) {
      complete = received == LeadingInteger(GetHeader("Content-Length"));
    } else {
      complete = request->End() == HttpEnd::kFramed;
    }
  }
  if (complete) {
    Yield();
    if (superseded()) return false;
    // One rename: the target holds its old or its new content at every moment.
    ReplaceFileWith(temporary, target);
    Yield();
    if (superseded()) return false;
  }
  if (DownLoadFinish) DownLoadFinish();
  if (!superseded()) CancelDownload();
  return false;
}

void UserControlUpdate::CancelDownload() {
  downloadActive_ = false;
  if (request_) {
    // Freed once no call of this request is running any more.
    request_->Close();
    request_.reset();
  }
}

std::string UserControlUpdate::GetHeader(const std::string& name) {
  if (!downloadActive_) {
    CancelDownload();
    return "0";
  }
  if (rawHeaders_.empty()) return "0";
  if (name.empty()) return rawHeaders_;
  const std::string upper = AsciiUpper(name);
  for (const auto& known : kKnownHeaders) {
    if (known.upper != upper) continue;
    const auto value = FindRawHeader(rawHeaders_, known.name);
    return value ? std::string(*value) : "0";
  }
  return "0";
}

}  // namespace zq
