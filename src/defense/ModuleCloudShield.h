#pragma once

#include <string>
#include <string_view>

#include "platform/Http.h"

namespace zq {

// Client of the cloud server: plain HTTP GET requests whose data travels in
// the path and query. `url` is either a path on the cloud server of
// Settings.ini [Server] CloudServer (as the request builders below give it)
// or a whole http:// address.

// The body after its "Cloud$" prefix (any letter case): verdict "$"
// description. "" for every failure: unreachable server, a limit hit, a
// broken body, a body without the prefix. The status code is not looked at.
std::string QueryCloudShield(const std::string& url);

// Sends a report; its answer is read and dropped, nothing is reported back.
void SendMonitorReport(const std::string& url);

// The three requests. Values are percent-encoded, so the server receives a
// path with "&", "#", "?", blanks or Chinese exactly as it was.
std::string CloudAskPath(std::string_view fingerprint);
// `allowed`: the user pressed 运行 (Flag=A) rather than 禁止 (Flag=B);
// `remembered`: "记住本操作" was ticked (Value=10, otherwise Value=1).
std::string CloudAnswerPath(std::string_view fingerprint, std::string_view path, bool allowed,
                            bool remembered);
// A virus name or a fingerprint.
std::string MonitorReportPath(std::string_view virus);

// Base address of the cloud server, without a trailing "/".
std::string CloudServerAddress();

// Limits of every cloud request (5 s each by default, so a start waiting for
// the answer never waits longer). Returns the previous limits; for tests.
HttpLimits SetCloudShieldLimits(const HttpLimits& limits);

}  // namespace zq
