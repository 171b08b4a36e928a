#include "platform/guard/ProcessTree.h"

#include <charconv>
#include <string>

#include "platform/FileIo.h"

namespace zq::guard {

std::optional<pid_t> ParentPidFromStat(std::string_view stat) {
  const auto close = stat.rfind(')');
  if (close == std::string_view::npos) return std::nullopt;
  // After ") " come the state (one character), a blank, and the parent id.
  std::string_view rest = stat.substr(close + 1);
  if (rest.size() < 5 || rest[0] != ' ' || rest[2] != ' ') return std::nullopt;
  rest.remove_prefix(3);
  pid_t parent = 0;
  const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), parent);
  if (ec != std::errc() || end == rest.data() || parent < 0) return std::nullopt;
  return parent;
}

std::optional<pid_t> ParentPid(pid_t pid) {
  const auto stat = ReadWholeFile("/proc/" + std::to_string(pid) + "/stat");
  if (!stat) return std::nullopt;
  return ParentPidFromStat(*stat);
}

bool IsSelfOrDescendant(pid_t pid, pid_t ancestor) {
  if (ancestor <= 0 || pid <= 0) return false;
  // Bounded: a chain longer than this cannot be real and must not loop.
  for (int depth = 0; depth < 1024 && pid > 0; ++depth) {
    if (pid == ancestor) return true;
    if (pid == 1) return false;
    const auto parent = ParentPid(pid);
    if (!parent || *parent == pid) return false;
    pid = *parent;
  }
  return false;
}

}  // namespace zq::guard
