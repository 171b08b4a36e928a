#include "platform/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/PosixFile.h"

namespace zq {

using posix::Fd;
using posix::SyncFolderOf;
using posix::WriteAll;

std::optional<std::string> ReadWholeFile(const std::string& path, size_t maxBytes) {
  // Non-blocking open so a FIFO planted under a data file name cannot hang us.
  Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0) return std::nullopt;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  if (static_cast<uint64_t>(st.st_size) > maxBytes) return std::nullopt;
  std::string data;
  data.resize(static_cast<size_t>(st.st_size));
  size_t got = 0;
  while (true) {
    if (got == data.size()) data.resize(data.size() + 4096);  // the file grew
    const ssize_t n = ::read(fd.get(), data.data() + got, data.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
    if (got > maxBytes) return std::nullopt;
  }
  data.resize(got);
  return data;
}

bool WriteFileAtomic(const std::string& path, std::string_view data, unsigned newFileMode) {
  if (path.empty()) return false;
  std::string target = path;
  struct stat old {};
  bool exists = ::lstat(path.c_str(), &old) == 0;
  if (exists && S_ISLNK(old.st_mode)) {
    // Replace the file the link points at, not the link itself.
    char resolved[PATH_MAX];
    if (!::realpath(path.c_str(), resolved)) return false;
    target = resolved;
    exists = ::stat(target.c_str(), &old) == 0;
  }
  if (exists && !S_ISREG(old.st_mode)) return false;
  // A read-only file stays as it is, as on the original platform, even for root
  // (the rename below would otherwise replace it).
  if (exists && ((old.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0)) return false;

  std::string tmp = target + ".XXXXXX";
  Fd fd(::mkstemp(tmp.data()));
  if (fd.get() < 0) return false;
  bool ok = WriteAll(fd.get(), data);
  if (ok) {
    mode_t mode;
    if (exists) {
      mode = old.st_mode & 07777;
      // Root updating a user's file leaves it the user's (best effort).
      if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
        if (::fchown(fd.get(), old.st_uid, old.st_gid) != 0) {
        }
      }
    } else {
      const mode_t mask = ::umask(0);
      ::umask(mask);
      mode = static_cast<mode_t>(newFileMode) & ~mask;
    }
    ok = ::fchmod(fd.get(), mode) == 0;
  }
  ok = ok && ::fsync(fd.get()) == 0;
  ok = fd.Close() && ok;
  ok = ok && ::rename(tmp.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(tmp.c_str());
    return false;
  }
  SyncFolderOf(target);
  return true;
}

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace zq
