#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace zq {

// The program's side of zq-guard. Single-threaded: everything here is called
// from the thread that runs the event loop.

// Decides one start request; receives the payload (path "$" command line "$")
// and returns kStartAllowed (915) or kStartBlocked (0).
using GuardRequestHandler = std::function<uint32_t(std::string_view payload)>;

// Installs the dispatch function for start requests; an empty function
// restores the default, which lets every start go on (915). Returns the
// previous handler.
GuardRequestHandler SetGuardRequestHandler(GuardRequestHandler handler);

// Socket of zq-guard: the override if one is set, else $ZQ_GUARD_SOCKET, else
// kGuardSocketPath. An empty text removes the override.
std::string GuardSocketPath();
void SetGuardSocketPath(const std::string& path);

// Active defense. On: connects to zq-guard and registers this process; true
// when the guard accepted the registration (false when there is no guard or
// it refused; the program then runs without active defense). Off:
// deregisters and disconnects; always false.
bool SetVevezoRezezad(bool on);

// Self-protection. On: makes this process non-dumpable, so that another
// process of the same user can neither attach a debugger nor read its memory;
// true when that worked. Off: makes it dumpable again; always true.
bool SetVaroZevav(bool on);

// The connection to zq-guard while registered, else -1. The event loop
// watches it for reading and calls ProcessGuardMessages() when it is ready.
int GuardSocketFd();

// Handles the frames that are waiting on the connection: each start request
// is marked taken, handed to the dispatch function and answered. Reads one
// frame at a time, so a dispatch function that yields to the event loop can
// take and answer later requests (nested) before its own. A broken
// connection ends active defense (GuardSocketFd() becomes -1).
void ProcessGuardMessages();

}  // namespace zq
