#pragma once

namespace zq {

enum class ProcessPriority { kNormal, kBelowNormal };

// Sets the priority of every thread of this process. Below normal is the
// batch scheduling policy with idle I/O priority; normal is the ordinary
// policy with the I/O priority following the nice value. Both directions
// work without privileges (a raised nice value could not be lowered again).
// True when every thread took it.
bool SetOwnPriority(ProcessPriority priority);

}  // namespace zq
