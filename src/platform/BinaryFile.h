#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace zq {

// A regular file opened for reading with positioned and sequential reads.
// Only regular files are ever opened: a folder, FIFO, device or socket is
// refused after a stat, before any open (opening a FIFO would block).
class BinaryFile {
 public:
  // nullopt when the path names nothing, names something that is not a
  // regular file, or cannot be opened for reading. With `createIfMissing` a
  // missing file is first created empty (mode 0644 before the umask).
  static std::optional<BinaryFile> Open(const std::string& path, bool createIfMissing = false);

  BinaryFile(BinaryFile&& other) noexcept;
  BinaryFile& operator=(BinaryFile&& other) noexcept;
  BinaryFile(const BinaryFile&) = delete;
  BinaryFile& operator=(const BinaryFile&) = delete;
  ~BinaryFile();

  // Length in bytes when the file was opened.
  uint64_t Size() const { return size_; }

  // Reads up to `size` bytes at `offset` without moving the sequential
  // position. Returns the count read, fewer at the end of the file (0 past
  // it); nullopt on a read error.
  std::optional<size_t> ReadAt(uint64_t offset, void* buffer, size_t size) const;

  // Reads up to `size` bytes at the sequential position and advances it.
  std::optional<size_t> Read(void* buffer, size_t size);

 private:
  BinaryFile(int fd, uint64_t size) : fd_(fd), size_(size) {}
  int fd_ = -1;
  uint64_t size_ = 0;
  uint64_t position_ = 0;
};

}  // namespace zq
