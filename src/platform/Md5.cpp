#include "platform/Md5.h"

#include <openssl/evp.h>

namespace zq {
namespace {

// Fetched once: an implicit fetch on every init costs more than hashing a short key.
const EVP_MD* Md5Algorithm() {
  static const EVP_MD* md = [] {
    const EVP_MD* fetched = EVP_MD_fetch(nullptr, "MD5", nullptr);
    return fetched ? fetched : EVP_md5();
  }();
  return md;
}

}  // namespace

Md5::Md5() {
  EVP_MD_CTX* ctx = EVP_MD_CTX_new();
  ctx_ = ctx;
  const EVP_MD* md = Md5Algorithm();
  ok_ = ctx != nullptr && md != nullptr && EVP_DigestInit_ex(ctx, md, nullptr) == 1;
}

Md5::~Md5() {
  EVP_MD_CTX_free(static_cast<EVP_MD_CTX*>(ctx_));
}

bool Md5::Update(const void* data, size_t size) {
  if (!ok_ || finished_) return ok_ = false;
  if (size == 0) return true;
  ok_ = EVP_DigestUpdate(static_cast<EVP_MD_CTX*>(ctx_), data, size) == 1;
  return ok_;
}

std::optional<Md5Digest> Md5::Finish() {
  if (!ok_ || finished_) return std::nullopt;
  finished_ = true;
  unsigned char out[EVP_MAX_MD_SIZE];
  unsigned int len = 0;
  if (EVP_DigestFinal_ex(static_cast<EVP_MD_CTX*>(ctx_), out, &len) != 1 || len != 16) {
    ok_ = false;
    return std::nullopt;
  }
  Md5Digest digest;
  for (size_t i = 0; i < digest.size(); ++i) digest[i] = out[i];
  return digest;
}

std::optional<Md5Digest> Md5Of(std::string_view data) {
  Md5 md5;
  md5.Update(data);
  return md5.Finish();
}

}  // namespace zq
