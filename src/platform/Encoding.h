#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zq {

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(std::string_view bytes);

// Text that may come from the original platform: kept as it is when it is
// valid UTF-8, otherwise decoded from code page 936 (GBK). nullopt when it is
// neither, so no character is ever lost silently.
std::optional<std::string> DecodeLegacyText(std::string_view bytes);

// UTF-8 to GBK, for tests and tools that need files written the Windows way.
// nullopt when a character has no GBK form.
std::optional<std::string> EncodeGbk(std::string_view utf8);

// Length of the longest prefix of `text` of at most `maxBytes` bytes that does
// not split a UTF-8 sequence.
size_t Utf8PrefixLength(std::string_view text, size_t maxBytes);

}  // namespace zq
