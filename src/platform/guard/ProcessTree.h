#pragma once

#include <sys/types.h>

#include <optional>
#include <string_view>

namespace zq::guard {

// Parent process id from the text of /proc/<pid>/stat; the command name in
// parentheses may itself hold blanks and parentheses, so parsing starts after
// the last ')'.
std::optional<pid_t> ParentPidFromStat(std::string_view stat);

// Parent of a live process (nullopt when it cannot be read).
std::optional<pid_t> ParentPid(pid_t pid);

// True when `pid` is `ancestor` or one of its descendants.
bool IsSelfOrDescendant(pid_t pid, pid_t ancestor);

}  // namespace zq::guard
