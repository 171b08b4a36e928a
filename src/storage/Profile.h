#pragma once

#include <string>
#include <string_view>

namespace zq {

// Values are read through a 255-byte buffer: at most this many bytes come back.
inline constexpr size_t kProfileValueLimit = 254;

// Path of a data file (or folder) in the program folder.
std::string GetAppFilePath(const std::string& name);

// One value of a profile file: "" for a missing file, section or key and for
// an empty value; at most 254 bytes (never splitting a UTF-8 character),
// spaces trimmed.
std::string ReadIniValue(const std::string& file, const std::string& section, const std::string& key);

// Writes one value at once; false when it was refused or not stored.
bool WriteIniValue(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value);

// Cuts a fixed-size text buffer at its first NUL and trims spaces (code 32 only).
std::string TrimAtNull(std::string_view text);

// A value as ReadIniValue returns it, from a value already read from a file
// (limit, cut at NUL, spaces trimmed). Shared by the one-parse readers.
std::string ProfileValueFromRaw(std::string_view raw);

}  // namespace zq
