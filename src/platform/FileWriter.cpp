#include "platform/FileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/PosixFile.h"

namespace zq {
namespace {

using posix::SyncFolderOf;
using posix::WriteAll;

constexpr size_t kGatherSize = 256 * 1024;

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
      failed_ = !WriteAll(fd_, std::string_view(data, size));
      return !failed_;
    }
  }
  std::memcpy(buffer_.data() + used_, data, size);
  used_ += size;
  return true;
}

bool BufferedFileWriter::Flush() {
  if (used_ > 0 && !failed_) failed_ = !WriteAll(fd_, std::string_view(buffer_.data(), used_));
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
