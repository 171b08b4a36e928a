#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace zq {

using Md5Digest = std::array<uint8_t, 16>;

// Streaming MD5 over the host's crypto library. A failure at any step (the
// digest unavailable, a feed refused) makes Finish() return nullopt.
class Md5 {
 public:
  Md5();
  ~Md5();
  Md5(const Md5&) = delete;
  Md5& operator=(const Md5&) = delete;

  // False once any step has failed.
  bool Ok() const { return ok_; }
  bool Update(const void* data, size_t size);
  bool Update(std::string_view data) { return Update(data.data(), data.size()); }
  // The digest of everything fed; the object cannot be fed afterwards.
  std::optional<Md5Digest> Finish();

 private:
  void* ctx_ = nullptr;
  bool ok_ = false;
  bool finished_ = false;
};

// Digest of one piece of data.
std::optional<Md5Digest> Md5Of(std::string_view data);

}  // namespace zq
