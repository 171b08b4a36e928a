#pragma once

namespace zq {

// Catches the first interrupt (Ctrl-C) so a command-line job can stop at its
// next check and still report; a second interrupt ends the process as usual.
void CatchFirstInterrupt();

// True once an interrupt has been caught.
bool InterruptCaught();

}  // namespace zq
