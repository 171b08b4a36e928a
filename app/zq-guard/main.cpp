// zq-guard: holds program starts and asks the registered 澄岳杀毒 whether they
// may go on. Runs as root (fanotify permission events need it).
#include <cstdio>
#include <string>
#include <vector>

#include "platform/ProgramFolder.h"
#include "platform/guard/GuardArguments.h"
#include "platform/guard/GuardServer.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(zq::guard::kGuardUsage, stdout);
    return 0;
  }
  std::string error;
  const auto options = zq::guard::ParseGuardArguments(args, zq::ProgramFolder() + "/ZQ", &error);
  if (!options) {
    std::fprintf(stderr, "zq-guard: %s\n%s", error.c_str(), zq::guard::kGuardUsage);
    return 2;
  }
  // Signals are blocked before the watch begins, so a stop never interrupts
  // the loop between holding a start and answering it.
  const int stopFd = zq::guard::OpenStopSignalFd();
  if (stopFd < 0) {
    std::fprintf(stderr, "zq-guard: cannot set up signal handling\n");
    return 1;
  }
  zq::guard::GuardServer server;
  if (!server.Start(*options, &error)) {
    std::fprintf(stderr, "zq-guard: %s\n", error.c_str());
    return 1;
  }
  std::fprintf(stderr, "zq-guard: listening on %s\n", options->socketPath.c_str());
  return server.Run(stopFd) ? 0 : 1;
}
