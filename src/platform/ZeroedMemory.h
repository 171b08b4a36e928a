#pragma once

#include <cstddef>
#include <optional>

namespace zq {

// A large zero-filled block straight from the system, asking for huge pages:
// tables probed at random (the signature index) then cost far fewer TLB misses.
class ZeroedMemory {
 public:
  // nullopt when the memory cannot be had; a size of 0 gives an empty block.
  static std::optional<ZeroedMemory> Allocate(size_t bytes);

  ZeroedMemory() = default;
  ZeroedMemory(ZeroedMemory&& other) noexcept;
  ZeroedMemory& operator=(ZeroedMemory&& other) noexcept;
  ZeroedMemory(const ZeroedMemory&) = delete;
  ZeroedMemory& operator=(const ZeroedMemory&) = delete;
  ~ZeroedMemory();

  char* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  char* data_ = nullptr;
  size_t size_ = 0;
  size_t mapped_ = 0;
};

}  // namespace zq
