#include "platform/ZeroedMemory.h"

#include <sys/mman.h>

#include <utility>

namespace zq {

std::optional<ZeroedMemory> ZeroedMemory::Allocate(size_t bytes) {
  ZeroedMemory memory;
  if (bytes == 0) return memory;
  void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) return std::nullopt;
  // Only advice: without huge pages the block works the same, just slower.
  ::madvise(p, bytes, MADV_HUGEPAGE);
  memory.data_ = static_cast<char*>(p);
  memory.size_ = bytes;
  return memory;
}

ZeroedMemory::ZeroedMemory(ZeroedMemory&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

ZeroedMemory& ZeroedMemory::operator=(ZeroedMemory&& other) noexcept {
  if (this != &other) {
    if (data_) ::munmap(data_, size_);
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

ZeroedMemory::~ZeroedMemory() {
  if (data_) ::munmap(data_, size_);
}

}  // namespace zq
