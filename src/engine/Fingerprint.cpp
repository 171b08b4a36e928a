#include "engine/Fingerprint.h"

#include <vector>

#include "platform/BinaryFile.h"
#include "platform/Md5.h"

namespace zq {
namespace {

constexpr size_t kBlockSize = 32768;

std::string TextOf(const std::optional<Md5Digest>& digest) {
  if (!digest) return "";
  return FingerprintText(digest->data(), digest->size());
}

}  // namespace

std::string FingerprintText(const unsigned char* digest, size_t size) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text(size * 2, '0');
  for (size_t i = 0; i < size; ++i) {
    text[2 * i] = kHex[digest[i] >> 4];
    text[2 * i + 1] = kHex[digest[i] & 0x0F];
  }
  return text;
}

std::string HashBytes(std::string_view data) {
  Md5 md5;
  while (md5.Ok() && !data.empty()) {
    const size_t n = std::min(data.size(), kBlockSize);
    md5.Update(data.substr(0, n));
    data.remove_prefix(n);
  }
  return TextOf(md5.Finish());
}

std::string HashFile(const std::string& path) {
  auto file = BinaryFile::Open(path);
  if (!file) return "";
  Md5 md5;
  std::vector<char> block(kBlockSize);
  while (md5.Ok()) {
    const auto got = file->Read(block.data(), block.size());
    if (!got) return "";
    if (*got == 0) break;
    md5.Update(block.data(), *got);
  }
  return TextOf(md5.Finish());
}

}  // namespace zq
