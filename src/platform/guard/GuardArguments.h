#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/guard/GuardServer.h"

namespace zq::guard {

// zq-guard's command line:
//   --watch DIR            watch the programs in DIR instead of every data file system (repeatable)
//   --socket PATH          the socket the program connects to
//   --client-exe PATH      only a process running PATH may register (default: ZQ next to zq-guard)
//   --any-client           any process may register
//   --decision-limit SECS  longest wait for a taken request's answer
// nullopt with a message on a bad command line.
std::optional<GuardOptions> ParseGuardArguments(const std::vector<std::string>& args,
                                                const std::string& defaultClientExe, std::string* error);

inline constexpr char kGuardUsage[] =
    "usage: zq-guard [--watch DIR]... [--socket PATH] [--client-exe PATH | --any-client]\n"
    "                [--decision-limit SECONDS]\n";

}  // namespace zq::guard
