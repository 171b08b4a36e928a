#pragma once

#include <functional>
#include <optional>

namespace zq::test {

// Runs `body` in a forked child and returns its result (0..255), or nullopt
// when the child died by a signal. The child never returns into the test.
std::optional<int> RunInChild(const std::function<int()>& body);

// Like RunInChild, but the child first gives up root (to user and group
// nobody), so file permissions apply to it as to a user who owns none of the
// test's files. nullopt when the tests do not run as root, when the child could
// not drop its privileges, or when it died by a signal.
std::optional<int> RunUnprivileged(const std::function<int()>& body);

}  // namespace zq::test
