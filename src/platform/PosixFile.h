#pragma once

// Small descriptor helpers shared by the platform's file services; not for use
// outside src/platform.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>

#include "platform/ProgramFolder.h"

namespace zq::posix {

// Owns one file descriptor and closes it once.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() { Close(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  // Closes now; false when close reported an error (a lost write).
  bool Close() {
    if (fd_ < 0) return true;
    const int rc = ::close(fd_);
    fd_ = -1;
    return rc == 0;
  }

 private:
  int fd_;
};

// Writes every byte, resuming after interruptions and short writes.
inline bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// The folder part of a path ("." for a bare name, "/" for a file at the root).
inline std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind(kPathSeparator);
  if (slash == std::string::npos) return ".";
  if (slash == 0) return std::string(1, kPathSeparator);
  return path.substr(0, slash);
}

// Flushes the folder holding `path`, so a name just created or renamed there
// survives a crash. False when that could not be done.
inline bool SyncFolderOf(const std::string& path) {
  Fd dir(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return dir.get() >= 0 && ::fsync(dir.get()) == 0;
}

}  // namespace zq::posix
