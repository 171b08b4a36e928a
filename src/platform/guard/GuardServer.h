#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/GuardProtocol.h"

namespace zq::guard {

struct GuardOptions {
  // Folders whose files are watched (the files directly inside each); empty
  // means every data file system of the machine.
  std::vector<std::string> watchFolders;
  std::string socketPath = kGuardSocketPath;
  // Only a process running this executable may register; "" lets any
  // process register.
  std::string clientExe;
  // A request the program has not taken by then is allowed.
  int takeLimitMs = 2000;
  // A taken request the program has not answered by then is allowed, so no
  // start is held for ever.
  int decisionLimitMs = 120000;
  // A connection that has not registered by then is closed, so idle
  // connections cannot use up the places of the real program.
  int registerLimitMs = 5000;
};

// Holds program starts (fanotify permission events) and asks the registered
// program about each over a Unix-domain socket. Single-threaded; every wait
// is bounded, and whatever is held when it stops is allowed.
class GuardServer {
 public:
  GuardServer();
  ~GuardServer();
  GuardServer(const GuardServer&) = delete;
  GuardServer& operator=(const GuardServer&) = delete;

  // Sets up the watch and the socket; false with a reason on failure.
  bool Start(const GuardOptions& options, std::string* error);

  // Serves until `stopFd` becomes readable; false when it had to stop on an
  // error. Either way every held start is allowed before it returns.
  bool Run(int stopFd);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Blocks SIGTERM, SIGINT and SIGHUP and returns a descriptor that becomes
// readable when one arrives (-1 on failure), for GuardServer::Run.
int OpenStopSignalFd();

}  // namespace zq::guard
