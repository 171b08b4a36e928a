#include "engine/PeCheck.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "engine/Fingerprint.h"
#include "engine/SignatureDb.h"
#include "platform/Md5.h"
#include "platform/Yield.h"

namespace zq {
namespace {

constexpr size_t kDosHeaderSize = 64;
constexpr size_t kFileHeaderSize = 20;
constexpr size_t kOptionalHeaderSize = 224;
constexpr size_t kSectionEntrySize = 40;
constexpr size_t kSectionBlockSize = 1 << 20;
static_assert(kSectionTableOffset == 4 + kFileHeaderSize + kOptionalHeaderSize);

uint16_t U16(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t U32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// A read that hits the end of the file (or fails) leaves the rest zero.
void ReadZeroFilled(const BinaryFile& file, uint64_t offset, unsigned char* buffer, size_t size) {
  const size_t got = file.ReadAt(offset, buffer, size).value_or(0);
  std::memset(buffer + got, 0, size - got);
}

uint32_t ReadLfanew(const BinaryFile& file) {
  unsigned char dos[kDosHeaderSize];
  ReadZeroFilled(file, 0, dos, sizeof dos);
  return U32(dos + 60);
}

std::optional<BinaryFile> OpenPeFile(const std::string& path) {
  auto file = BinaryFile::Open(path);
  if (!file || file->Size() > kMaxPeFileSize) return std::nullopt;
  unsigned char dos[kDosHeaderSize];
  ReadZeroFilled(*file, 0, dos, sizeof dos);
  if (dos[0] != 'M' || dos[1] != 'Z') return std::nullopt;
  unsigned char signature[4];
  ReadZeroFilled(*file, U32(dos + 60), signature, sizeof signature);
  if (std::memcmp(signature, "PE\0\0", 4) != 0) return std::nullopt;
  return file;
}

// Fingerprint of `size` bytes at `offset`, those past the end of the file
// counting as zeros. Streamed: the digest is the one of the whole zero-filled
// section, without ever holding (or zeroing) up to 10 MiB per section.
std::string SectionDigest(const BinaryFile& file, uint64_t offset, uint32_t size, std::vector<char>& block) {
  static const std::vector<char> kZeros(kSectionBlockSize, '\0');
  // Sized by the largest section so far: most sections are small.
  if (block.size() < std::min<size_t>(size, kSectionBlockSize))
    block.resize(std::min<size_t>(size, kSectionBlockSize));
  Md5 md5;
  uint32_t done = 0;
  bool atEnd = false;
  while (done < size && md5.Ok()) {
    const size_t want = std::min<size_t>(size - done, block.size());
    size_t got = 0;
    if (!atEnd) {
      got = file.ReadAt(offset + done, block.data(), want).value_or(0);
      atEnd = got < want;
      md5.Update(block.data(), got);
    }
    if (got < want) md5.Update(kZeros.data(), want - got);
    done += static_cast<uint32_t>(want);
  }
  const auto digest = md5.Finish();
  return digest ? FingerprintText(digest->data(), digest->size()) : "";
}

// Calls `visit` for each examined section in table order, yielding before
// each entry; stops when `visit` returns false. False when the section count
// rules the file out.
bool WalkSections(const BinaryFile& file, const std::function<bool(ExaminedSection&)>& visit) {
  const uint64_t lfanew = ReadLfanew(file);
  unsigned char header[kFileHeaderSize];
  ReadZeroFilled(file, lfanew + 4, header, sizeof header);
  const int count = static_cast<int16_t>(U16(header + 2));
  if (count < 1 || count > kMaxSectionCount) return false;

  std::vector<unsigned char> table(static_cast<size_t>(count) * kSectionEntrySize);
  ReadZeroFilled(file, lfanew + kSectionTableOffset, table.data(), table.size());

  std::vector<char> block;
  for (int i = 0; i < count; ++i) {
    Yield();
    const unsigned char* entry = table.data() + static_cast<size_t>(i) * kSectionEntrySize;
    const int32_t size = static_cast<int32_t>(U32(entry + 16));
    if (size <= 0 || size > kMaxSectionSize) continue;
    ExaminedSection section;
    section.index = i;
    section.name.assign(reinterpret_cast<const char*>(entry),
                        strnlen(reinterpret_cast<const char*>(entry), 8));
    section.sizeOfRawData = static_cast<uint32_t>(size);
    section.pointerToRawData = U32(entry + 20);
    section.key = SectionKeyFromDigest(
        section.sizeOfRawData, SectionDigest(file, section.pointerToRawData, section.sizeOfRawData, block));
    if (!visit(section)) break;
  }
  return true;
}

std::string TrimSpaces(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return "";
  const auto last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

}  // namespace

std::string SectionKeyFromDigest(uint32_t sizeOfRawData, std::string_view digestText) {
  if (digestText.empty()) return "";
  std::string text = std::to_string(sizeOfRawData) + ":";
  for (char c : digestText) text += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  // UTF-16LE of an ASCII text without its first byte: 0, c2, 0, c3, ..., 0.
  std::string bytes;
  bytes.reserve(text.size() * 2 - 1);
  for (size_t i = 0; i < text.size(); ++i) {
    if (i > 0) bytes += text[i];
    bytes += '\0';
  }
  return HashBytes(bytes);
}

std::string SectionKey(uint32_t sizeOfRawData, std::string_view rawBytes) {
  return SectionKeyFromDigest(sizeOfRawData, HashBytes(rawBytes));
}

std::string CheckSections(const BinaryFile& file) {
  std::string result;
  WalkSections(file, [&result](ExaminedSection& section) {
    const std::string name = MatchSignature(section.key);
    if (name.empty()) return true;
    result = TrimSpaces(name);
    return false;
  });
  return result;
}

std::string CheckPeFile(const std::string& path) {
  const auto file = OpenPeFile(path);
  if (!file) return "";
  return CheckSections(*file);
}

std::optional<std::vector<ExaminedSection>> ExamineSections(const std::string& path) {
  const auto file = OpenPeFile(path);
  if (!file) return std::nullopt;
  std::vector<ExaminedSection> sections;
  const bool examined = WalkSections(*file, [&sections](ExaminedSection& section) {
    sections.push_back(std::move(section));
    return true;
  });
  if (!examined) return std::nullopt;
  return sections;
}

}  // namespace zq
