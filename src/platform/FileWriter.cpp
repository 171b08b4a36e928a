#include "platform/FileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/ProgramFolder.h"

namespace zq {
namespace {

constexpr size_t kGatherSize = 256 * 1024;

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

void SyncFolderOf(const std::string& path) {
  const auto slash = path.rfind(kPathSeparator);
  const std::string folder = slash == std::string::npos
                                 ? "."
                                 : (slash == 0 ? std::string(1, kPathSeparator) : path.substr(0, slash));
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

}  // namespace

BufferedFileWriter::~BufferedFileWriter() {
  Close();
}

bool BufferedFileWriter::Create(const std::string& path) {
  Close();
  failed_ = false;
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd_ < 0) return false;
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    return false;
  }
  buffer_.resize(kGatherSize);
  used_ = 0;
  return true;
}

bool BufferedFileWriter::Write(const char* data, size_t size) {
  if (fd_ < 0 || failed_) return false;
  if (used_ + size > buffer_.size()) {
    if (!Flush()) return false;
    if (size >= buffer_.size()) {
      failed_ = !WriteAll(fd_, data, size);
      return !failed_;
    }
  }
  std::memcpy(buffer_.data() + used_, data, size);
  used_ += size;
  return true;
}

bool BufferedFileWriter::Flush() {
  if (used_ > 0 && !failed_) failed_ = !WriteAll(fd_, buffer_.data(), used_);
  used_ = 0;
  return !failed_;
}

bool BufferedFileWriter::Close() {
  if (fd_ < 0) return false;
  bool ok = Flush();
  ok = (::close(fd_) == 0) && ok;
  fd_ = -1;
  return ok;
}

bool BufferedFileWriter::Commit() {
  if (fd_ < 0) return false;
  bool ok = Flush() && ::fsync(fd_) == 0;
  ok = (::close(fd_) == 0) && ok;
  fd_ = -1;
  return ok;
}

bool ReplaceFileWith(const std::string& from, const std::string& to) {
  struct stat old {};
  if (::stat(to.c_str(), &old) == 0) {
    if (!S_ISREG(old.st_mode)) return false;
    ::chmod(from.c_str(), old.st_mode & 07777);
  }
  if (::rename(from.c_str(), to.c_str()) != 0) return false;
  SyncFolderOf(to);
  return true;
}

}  // namespace zq
