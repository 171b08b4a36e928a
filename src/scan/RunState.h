#pragma once

#include <cstdint>
#include <deque>
#include <string>

namespace zq {

// The state of one scan run, owned by the main window (or zqscan) and shared
// by every scanner of the run.
struct RunState {
  bool StopRequested = false;  // set by Stop; every walk tests it before each entry
  int64_t ScannedCount = 0;    // files examined in this run
  int64_t VirusCount = 0;      // detections in this run
  int64_t ScanStartTime = 0;   // ClockSeconds() when the run's work began
};

// The folder queue (ListFolders): folder paths waiting to be walked, each
// ending in the path separator. Walks only append; the run walks the front.
using FolderQueue = std::deque<std::string>;

// Clears the stop flag and both counters and starts the clock, as every
// scan run does when it begins.
void ResetRunState(RunState& run);

}  // namespace zq
