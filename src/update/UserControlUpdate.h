#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/Http.h"

namespace zq {

// Downloads one URL into one file. The body goes to the target's name plus
// ".bak" first; the target is replaced only by a complete body. The transfer
// runs on the caller's thread and yields after every block, so a window can
// show progress and cancel meanwhile.
class UserControlUpdate {
 public:
  static constexpr size_t kBlockSize = 1024;
  // Room for the raw response headers; longer headers fail Init.
  static constexpr size_t kRawHeaderBufferSize = 1024;
  static constexpr const char* kAgentName = "Fern";

  UserControlUpdate();
  ~UserControlUpdate();
  UserControlUpdate(const UserControlUpdate&) = delete;
  UserControlUpdate& operator=(const UserControlUpdate&) = delete;

  std::string URL;
  std::string SaveFile;

  // Events, raised on the caller's thread.
  std::function<void(std::int64_t& bytes)> DownloadProcess;  // total so far, after every block
  std::function<void()> DownLoadFinish;                      // every transfer not cancelled
  std::function<void(std::string& text)> ErrorMassage;       // Init could not connect

  // Sends the request and reads the response headers. True when they fit.
  bool Init();
  // Runs the transfer opened by Init. Always false; the events tell the rest.
  bool StartUpdate();
  // Stops at once; safe at any time, also from an event handler or a yield.
  void CancelDownload();
  // One response header by name (see the table in the .cpp), "" for all of them.
  std::string GetHeader(const std::string& name);

  bool DownloadActive() const { return downloadActive_; }
  // Connect and silence limits of the requests (tests shorten them).
  void SetLimits(const HttpLimits& limits) { limits_ = limits; }

 private:
  void RaiseError(const char* text);

  bool downloadActive_ = false;
  std::shared_ptr<HttpGet> request_;
  std::string rawHeaders_;
  // Counts Init calls, so a transfer notices that a handler started a new one.
  std::uint64_t session_ = 0;
  HttpLimits limits_;
};

}  // namespace zq
