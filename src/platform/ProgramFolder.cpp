#include "platform/ProgramFolder.h"

#include <unistd.h>

#include <climits>
#include <string>

namespace zq {
namespace {
std::string& Override() {
  static std::string folder;
  return folder;
}

std::string WithoutTrailingSeparator(std::string path) {
  while (path.size() > 1 && path.back() == kPathSeparator) path.pop_back();
  return path;
}
}  // namespace

std::string ExecutablePath() {
  char buffer[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer);
  if (n <= 0 || static_cast<size_t>(n) >= sizeof buffer) return "";
  return std::string(buffer, static_cast<size_t>(n));
}

std::string ProgramFolder() {
  if (!Override().empty()) return Override();
  std::string exe = ExecutablePath();
  const auto slash = exe.rfind(kPathSeparator);
  if (slash == std::string::npos) return "";
  if (slash == 0) return std::string(1, kPathSeparator);
  return exe.substr(0, slash);
}

void SetProgramFolder(const std::string& folder) {
  Override() = folder.empty() ? std::string() : WithoutTrailingSeparator(folder);
}

}  // namespace zq
