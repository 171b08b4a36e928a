#include "platform/Encoding.h"

#include <iconv.h>

#include <cerrno>

namespace zq {
namespace {

std::optional<std::string> Convert(const char* to, const char* from, std::string_view in) {
  iconv_t cd = ::iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out;
  out.resize(in.size() * 2 + 16);
  char* inPtr = const_cast<char*>(in.data());
  size_t inLeft = in.size();
  size_t used = 0;
  bool ok = true;
  while (true) {
    char* outPtr = out.data() + used;
    size_t outLeft = out.size() - used;
    const size_t rc = ::iconv(cd, inLeft ? &inPtr : nullptr, &inLeft, &outPtr, &outLeft);
    used = out.size() - outLeft;
    if (rc != static_cast<size_t>(-1)) {
      if (inLeft == 0) break;
      continue;
    }
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    ok = false;  // EILSEQ or EINVAL: not text of that encoding
    break;
  }
  ::iconv_close(cd);
  if (!ok) return std::nullopt;
  out.resize(used);
  return out;
}

}  // namespace

bool IsValidUtf8(std::string_view s) {
  size_t i = 0;
  const size_t n = s.size();
  while (i < n) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t len;
    unsigned cp;
    if ((c & 0xE0) == 0xC0) {
      len = 2;
      cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      len = 3;
      cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      len = 4;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + len > n) return false;
    for (size_t k = 1; k < len; ++k) {
      const auto cc = static_cast<unsigned char>(s[i + k]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000)) return false;
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += len;
  }
  return true;
}

std::optional<std::string> DecodeLegacyText(std::string_view bytes) {
  if (IsValidUtf8(bytes)) return std::string(bytes);
  return Convert("UTF-8", "GBK", bytes);
}

std::optional<std::string> EncodeGbk(std::string_view utf8) {
  if (!IsValidUtf8(utf8)) return std::nullopt;
  return Convert("GBK", "UTF-8", utf8);
}

size_t Utf8PrefixLength(std::string_view text, size_t maxBytes) {
  if (text.size() <= maxBytes) return text.size();
  size_t cut = maxBytes;
  // Step back over continuation bytes to the lead byte of the split sequence.
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return cut;
}

}  // namespace zq
