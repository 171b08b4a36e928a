#include "support/ChildProcess.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zq::test {
namespace {

constexpr int kCouldNotDrop = 254;
constexpr uid_t kNobody = 65534;

std::optional<int> Wait(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
  }
  if (!WIFEXITED(status)) return std::nullopt;
  return WEXITSTATUS(status);
}

}  // namespace

std::optional<int> RunInChild(const std::function<int()>& body) {
  const pid_t pid = ::fork();
  if (pid < 0) return std::nullopt;
  if (pid == 0) ::_exit(body());
  return Wait(pid);
}

std::optional<int> RunUnprivileged(const std::function<int()>& body) {
  if (::geteuid() != 0) return std::nullopt;
  const pid_t pid = ::fork();
  if (pid < 0) return std::nullopt;
  if (pid == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
      ::_exit(kCouldNotDrop);
    }
    ::_exit(body());
  }
  const auto rc = Wait(pid);
  if (rc == kCouldNotDrop) return std::nullopt;
  return rc;
}

}  // namespace zq::test
