#include "platform/FileOps.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string_view>
#include <vector>

#include "platform/PosixFile.h"
#include "platform/ProgramFolder.h"

namespace zq {
namespace {

using posix::Fd;
using posix::SyncFolderOf;
using posix::WriteAll;

bool CopyContent(int from, int to) {
  std::vector<char> buffer(1 << 16);
  while (true) {
    const ssize_t n = ::read(from, buffer.data(), buffer.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return true;
    if (!WriteAll(to, std::string_view(buffer.data(), static_cast<size_t>(n)))) return false;
  }
}

}  // namespace

bool RemoveFile(const std::string& path) {
  return ::unlink(path.c_str()) == 0;
}

CopyResult CopyToNewFile(const std::string& from, const std::string& to, unsigned mode) {
  Fd in(::open(from.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (in.get() < 0) return CopyResult::Failed;
  struct stat st {};
  if (::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) return CopyResult::Failed;
  Fd out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, static_cast<mode_t>(mode)));
  if (out.get() < 0) return errno == EEXIST ? CopyResult::TargetExists : CopyResult::Failed;
  const bool ok = CopyContent(in.get(), out.get()) && ::fsync(out.get()) == 0 && out.Close();
  if (!ok) {
    ::unlink(to.c_str());
    return CopyResult::Failed;
  }
  // The new name must survive a crash too, or the copy could vanish after the
  // caller has deleted the original.
  if (!SyncFolderOf(to)) {
    ::unlink(to.c_str());
    return CopyResult::Failed;
  }
  return CopyResult::Copied;
}

std::string AbsolutePath(const std::string& path) {
  std::string full = path;
  if (full.empty() || full.front() != kPathSeparator) {
    char buffer[PATH_MAX];
    if (!::getcwd(buffer, sizeof buffer)) return "";
    full = std::string(buffer) + kPathSeparator + path;
  }
  // Drop "." parts and empty ones; ".." stays, as a link may lie before it.
  std::string out;
  size_t start = 0;
  while (start <= full.size()) {
    size_t end = full.find(kPathSeparator, start);
    if (end == std::string::npos) end = full.size();
    const std::string_view part(full.data() + start, end - start);
    if (!part.empty() && part != ".") {
      out += kPathSeparator;
      out += part;
    }
    start = end + 1;
  }
  const bool folder = full.back() == kPathSeparator || full.ends_with("/.");
  if (out.empty() || folder) out += kPathSeparator;
  return out;
}

}  // namespace zq
