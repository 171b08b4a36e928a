#pragma once

#include <functional>

namespace zq {

// Gives the event loop one turn. Long jobs call this at fixed points; the
// desktop program installs a handler that processes pending events, while
// zqscan and most tests leave it a no-op.
void Yield();

// Installs the handler that Yield() calls; an empty function restores the
// no-op. Returns the previous handler so a scope can put it back.
std::function<void()> SetYieldHandler(std::function<void()> handler);

}  // namespace zq
