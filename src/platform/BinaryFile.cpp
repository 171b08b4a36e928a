#include "platform/BinaryFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <utility>

namespace zq {

std::optional<BinaryFile> BinaryFile::Open(const std::string& path, bool createIfMissing) {
  if (path.empty()) return std::nullopt;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno != ENOENT || !createIfMissing) return std::nullopt;
    // O_EXCL: never follow a link planted in the meantime; losing the race to
    // another creator is fine, the file is then checked like any other.
    const int created = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (created >= 0) {
      ::close(created);
    } else if (errno != EEXIST) {
      return std::nullopt;
    }
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  }
  if (!S_ISREG(st.st_mode)) return std::nullopt;
  // Non-blocking in case the path was swapped for a FIFO after the stat.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return std::nullopt;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
    ::close(fd);
    return std::nullopt;
  }
  return BinaryFile(fd, static_cast<uint64_t>(st.st_size));
}

BinaryFile::BinaryFile(BinaryFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), size_(other.size_), position_(other.position_) {}

BinaryFile& BinaryFile::operator=(BinaryFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    size_ = other.size_;
    position_ = other.position_;
  }
  return *this;
}

BinaryFile::~BinaryFile() {
  if (fd_ >= 0) ::close(fd_);
}

std::optional<size_t> BinaryFile::ReadAt(uint64_t offset, void* buffer, size_t size) const {
  if (fd_ < 0) return std::nullopt;
  constexpr uint64_t kMaxOffset = static_cast<uint64_t>(std::numeric_limits<off_t>::max());
  if (offset > kMaxOffset) return 0;
  size_t got = 0;
  auto* out = static_cast<char*>(buffer);
  while (got < size) {
    const uint64_t at = offset + got;
    if (at > kMaxOffset) break;
    const ssize_t n = ::pread(fd_, out + got, size - got, static_cast<off_t>(at));
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  return got;
}

std::optional<size_t> BinaryFile::Read(void* buffer, size_t size) {
  const auto got = ReadAt(position_, buffer, size);
  if (got) position_ += *got;
  return got;
}

}  // namespace zq
