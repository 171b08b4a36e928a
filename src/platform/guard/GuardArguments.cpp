#include "platform/guard/GuardArguments.h"

#include <charconv>

namespace zq::guard {

std::optional<GuardOptions> ParseGuardArguments(const std::vector<std::string>& args,
                                                const std::string& defaultClientExe, std::string* error) {
  GuardOptions options;
  options.clientExe = defaultClientExe;
  bool anyClient = false;
  bool clientExeGiven = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool takesValue =
        a == "--watch" || a == "--socket" || a == "--client-exe" || a == "--decision-limit";
    if (takesValue && (i + 1 >= args.size() || args[i + 1].empty())) {
      *error = a + " needs a value";
      return std::nullopt;
    }
    if (a == "--watch") {
      options.watchFolders.push_back(args[++i]);
    } else if (a == "--socket") {
      options.socketPath = args[++i];
    } else if (a == "--client-exe") {
      options.clientExe = args[++i];
      clientExeGiven = true;
    } else if (a == "--any-client") {
      anyClient = true;
    } else if (a == "--decision-limit") {
      const std::string& v = args[++i];
      int seconds = 0;
      const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), seconds);
      if (ec != std::errc() || end != v.data() + v.size() || seconds < 1 || seconds > 3600) {
        *error = "--decision-limit takes 1 to 3600 seconds";
        return std::nullopt;
      }
      options.decisionLimitMs = seconds * 1000;
    } else {
      *error = "unknown argument: " + a;
      return std::nullopt;
    }
  }
  if (anyClient && clientExeGiven) {
    *error = "--client-exe and --any-client exclude each other";
    return std::nullopt;
  }
  if (anyClient) options.clientExe.clear();
  return options;
}

}  // namespace zq::guard
