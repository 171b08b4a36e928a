#include "scan/RunState.h"

#include "platform/Clock.h"

namespace zq {

void ResetRunState(RunState& run) {
  run.StopRequested = false;
  run.ScannedCount = 0;
  run.VirusCount = 0;
  run.ScanStartTime = ClockSeconds();
}

}  // namespace zq
