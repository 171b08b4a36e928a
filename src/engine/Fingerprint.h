#pragma once

#include <string>
#include <string_view>

namespace zq {

// Fingerprint of the bytes: their MD5 digest as 32 upper-case hex digits, or
// "" when the digest cannot be computed.
std::string HashBytes(std::string_view data);

// Fingerprint of the whole content of a regular file, read in blocks. ""
// when the path names nothing or something other than a regular file (never
// opened then), or when the file cannot be opened or read.
std::string HashFile(const std::string& path);

// 32 upper-case hex digits of a digest (the text form of a fingerprint).
std::string FingerprintText(const unsigned char* digest, size_t size);

}  // namespace zq
