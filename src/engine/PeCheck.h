#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/BinaryFile.h"

namespace zq {

// Files larger than this are not examined.
inline constexpr uint64_t kMaxPeFileSize = 15ull * 1024 * 1024;
// Sections whose SizeOfRawData is larger than this (or not positive) are skipped.
inline constexpr int64_t kMaxSectionSize = 10ll * 1024 * 1024;
// The section table always follows a PE32 optional header: e_lfanew + 4 + 20 + 224.
inline constexpr uint64_t kSectionTableOffset = 248;
inline constexpr int kMaxSectionCount = 99;

// Virus name of the first section of the file listed in the signature
// database (spaces trimmed), or "" for a clean file, a file that is not a PE
// image, a file too large to examine and a file that cannot be opened.
std::string CheckPeFile(const std::string& path);

// The same check on a file already known to carry the PE signature at e_lfanew.
std::string CheckSections(const BinaryFile& file);

// Section key: SizeOfRawData in decimal, ":", the lower-case fingerprint of
// the raw bytes, as UTF-16LE without its first byte, fingerprinted again.
std::string SectionKey(uint32_t sizeOfRawData, std::string_view rawBytes);
// The same from the fingerprint of the raw bytes ("" gives "").
std::string SectionKeyFromDigest(uint32_t sizeOfRawData, std::string_view digestText);

// One section that the check examines, for the signature tool.
struct ExaminedSection {
  int index = 0;     // position in the section table, from 0
  std::string name;  // the 8-byte name up to its first NUL
  uint32_t sizeOfRawData = 0;
  uint32_t pointerToRawData = 0;
  std::string key;
};

// The sections CheckPeFile would look up, in table order, without looking
// them up; nullopt when the file would not be examined at all.
std::optional<std::vector<ExaminedSection>> ExamineSections(const std::string& path);

}  // namespace zq
