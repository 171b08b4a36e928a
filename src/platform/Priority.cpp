#include "platform/Priority.h"

#include <dirent.h>
#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace zq {
namespace {
constexpr int kIoprioWhoProcess = 1;
constexpr int kIoprioClassShift = 13;
constexpr int kIoprioClassNone = 0;
constexpr int kIoprioClassIdle = 3;

std::vector<pid_t> OwnThreads() {
  std::vector<pid_t> out;
  DIR* dir = ::opendir("/proc/self/task");
  if (!dir) return {static_cast<pid_t>(::syscall(SYS_gettid))};
  while (const dirent* e = ::readdir(dir)) {
    const long tid = std::strtol(e->d_name, nullptr, 10);
    if (tid > 0) out.push_back(static_cast<pid_t>(tid));
  }
  ::closedir(dir);
  return out;
}
}  // namespace

bool SetOwnPriority(ProcessPriority priority) {
  const bool low = priority == ProcessPriority::kBelowNormal;
  const int policy = low ? SCHED_BATCH : SCHED_OTHER;
  const int ioprio = (low ? kIoprioClassIdle : kIoprioClassNone) << kIoprioClassShift;
  bool ok = true;
  for (const pid_t tid : OwnThreads()) {
    sched_param param{};
    // A thread that ended meanwhile is no failure.
    if (::sched_setscheduler(tid, policy, &param) != 0 && errno != ESRCH) ok = false;
    if (::syscall(SYS_ioprio_set, kIoprioWhoProcess, tid, ioprio) != 0 && errno != ESRCH) ok = false;
  }
  return ok;
}

}  // namespace zq
