#include "platform/ZeroedMemory.h"

#include <sys/mman.h>

#include <cstdint>
#include <utility>

namespace zq {

std::optional<ZeroedMemory> ZeroedMemory::Allocate(size_t bytes) {
  ZeroedMemory memory;
  if (bytes == 0) return memory;
  // Blocks of a megabyte or more are laid on whole, aligned huge pages: an
  // unaligned block only gets huge pages for its aligned middle.
  constexpr size_t kHuge = 2 * 1024 * 1024;
  const bool huge = bytes >= kHuge / 2;
  const size_t length = huge ? (bytes + kHuge - 1) / kHuge * kHuge : bytes;
  if (length < bytes) return std::nullopt;
  const size_t mapped = huge ? length + kHuge : length;
  void* p = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) return std::nullopt;
  char* start = static_cast<char*>(p);
  if (huge) {
    char* aligned = reinterpret_cast<char*>((reinterpret_cast<uintptr_t>(start) + kHuge - 1) & ~(kHuge - 1));
    if (aligned > start) ::munmap(start, static_cast<size_t>(aligned - start));
    const size_t tail = mapped - static_cast<size_t>(aligned - start) - length;
    if (tail > 0) ::munmap(aligned + length, tail);
    start = aligned;
    // Only advice: without huge pages the block works the same, just slower.
    ::madvise(start, length, MADV_HUGEPAGE);
  }
  memory.data_ = start;
  memory.size_ = bytes;
  memory.mapped_ = length;
  return memory;
}

ZeroedMemory::ZeroedMemory(ZeroedMemory&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      mapped_(std::exchange(other.mapped_, 0)) {}

ZeroedMemory& ZeroedMemory::operator=(ZeroedMemory&& other) noexcept {
  if (this != &other) {
    if (data_) ::munmap(data_, mapped_);
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    mapped_ = std::exchange(other.mapped_, 0);
  }
  return *this;
}

ZeroedMemory::~ZeroedMemory() {
  if (data_) ::munmap(data_, mapped_);
}

}  // namespace zq
