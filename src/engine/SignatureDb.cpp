#include "engine/SignatureDb.h"

#include <bit>
#include <cstring>
#include <new>

#include "platform/BinaryFile.h"
#include "platform/Encoding.h"
#include "platform/ProgramFolder.h"
#include "platform/Yield.h"

namespace zq {
namespace {

uint64_t Load64(const char* p) {
  uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

uint64_t HashKey(const char* key) {
  uint64_t h = Load64(key) * 0x9E3779B97F4A7C15ull;
  h = (std::rotl(h, 31) ^ Load64(key + 8)) * 0xC2B2AE3D27D4EB4Full;
  h = (std::rotl(h, 29) ^ Load64(key + 16)) * 0x165667B19E3779F9ull;
  h = (std::rotl(h, 27) ^ Load64(key + 24)) * 0x9E3779B97F4A7C15ull;
  h ^= h >> 33;
  h *= 0xFF51AFD7ED558CCDull;
  h ^= h >> 33;
  return h;
}

// Names come from the original platform in GBK or from us in UTF-8. A 32-byte
// field may cut a GBK character in two: what cannot be decoded becomes "?"
// per byte, so the record still names a detection.
std::string DecodeName(std::string_view field) {
  if (auto text = DecodeLegacyText(field)) return *std::move(text);
  for (size_t keep = field.size(); keep-- > 0;) {
    if (auto text = DecodeLegacyText(field.substr(0, keep))) {
      return *text + std::string(field.size() - keep, '?');
    }
  }
  return std::string(field.size(), '?');
}

SignatureDatabase& ProgramDatabase() {
  static SignatureDatabase db;
  return db;
}

}  // namespace

std::string SignatureFileName(int bucket) {
  static constexpr char kNames[] = "0123456789ABCDEFG";
  if (bucket < 0 || bucket >= kSignatureBucketCount) return "";
  return std::string(1, kNames[bucket]) + ".sig";
}

int SignatureBucketOf(std::string_view key) {
  if (key.empty()) return kGeneralBucket;
  const char c = key[0];
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return kGeneralBucket;
}

bool IsSectionKey(std::string_view key) {
  if (key.size() != kSignatureKeySize) return false;
  for (char c : key) {
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  }
  return true;
}

std::optional<std::string> MakeSignatureRecord(std::string_view key, std::string_view name) {
  if (!IsSectionKey(key) || name.size() > kSignatureNameSize) return std::nullopt;
  std::string record(key);
  record += name;
  record.append(kSignatureNameSize - name.size(), ' ');
  record += "\r\n";
  return record;
}

constexpr size_t kEntrySize = kSignatureKeySize + kSignatureNameSize;

const char* SignatureDatabase::Bucket::Find(std::string_view key, uint64_t hash) const {
  if (unique == 0) return nullptr;
  const auto* start = reinterpret_cast<const uint32_t*>(starts.data());
  const auto* tag = reinterpret_cast<const uint8_t*>(tags.data());
  const size_t cell = CellOf(hash);
  const uint8_t want = static_cast<uint8_t>(hash);
  const size_t first = start[cell], end = start[cell + 1];
  // The entry line travels together with its tag instead of after it.
  if (first < end) __builtin_prefetch(entries.data() + first * kEntrySize);
  for (size_t i = first; i < end; ++i) {
    if (tag[i] != want) continue;
    const char* entry = entries.data() + i * kEntrySize;
    if (std::memcmp(entry, key.data(), kSignatureKeySize) == 0) return entry;
  }
  return nullptr;
}

void SignatureDatabase::Bucket::Prefetch(uint64_t hash) const {
  if (unique != 0) __builtin_prefetch(reinterpret_cast<const uint32_t*>(starts.data()) + CellOf(hash));
}

bool SignatureDatabase::Bucket::Build(const char* records, size_t recordCount) {
  count = recordCount;
  // About two records per cell.
  cellBits = std::bit_width(recordCount / 2);
  const size_t cells = size_t{1} << cellBits;
  std::vector<uint64_t> hashes(recordCount);
  std::vector<uint32_t> begin(cells + 1, 0);
  for (size_t n = 0; n < recordCount; ++n) {
    hashes[n] = HashKey(records + n * kSignatureRecordSize);
    ++begin[CellOf(hashes[n]) + 1];
  }
  for (size_t c = 0; c < cells; ++c) begin[c + 1] += begin[c];
  // Stable placement: within a cell, records keep their file order.
  std::vector<uint32_t> order(recordCount);
  {
    std::vector<uint32_t> next(begin.begin(), begin.end() - 1);
    for (size_t n = 0; n < recordCount; ++n) order[next[CellOf(hashes[n])]++] = static_cast<uint32_t>(n);
  }

  auto entryMemory = ZeroedMemory::Allocate(recordCount * kEntrySize);
  auto startMemory = ZeroedMemory::Allocate((cells + 1) * sizeof(uint32_t));
  auto tagMemory = ZeroedMemory::Allocate(recordCount);
  if (!entryMemory || !startMemory || !tagMemory) return false;
  auto* start = reinterpret_cast<uint32_t*>(startMemory->data());
  auto* tag = reinterpret_cast<uint8_t*>(tagMemory->data());
  size_t kept = 0;
  for (size_t c = 0; c < cells; ++c) {
    start[c] = static_cast<uint32_t>(kept);
    const size_t first = kept;
    for (size_t i = begin[c]; i < begin[c + 1]; ++i) {
      const uint32_t n = order[i];
      const char* record = records + size_t{n} * kSignatureRecordSize;
      // A later record with a key already kept in this cell never wins.
      bool duplicate = false;
      for (size_t j = first; j < kept && !duplicate; ++j) {
        duplicate = tag[j] == static_cast<uint8_t>(hashes[n]) &&
                    std::memcmp(entryMemory->data() + j * kEntrySize, record, kSignatureKeySize) == 0;
      }
      if (duplicate) continue;
      std::memcpy(entryMemory->data() + kept * kEntrySize, record, kEntrySize);
      tag[kept] = static_cast<uint8_t>(hashes[n]);
      ++kept;
    }
  }
  start[cells] = static_cast<uint32_t>(kept);
  entries = *std::move(entryMemory);
  starts = *std::move(startMemory);
  tags = *std::move(tagMemory);
  unique = kept;
  return true;
}

bool SignatureDatabase::LoadBucket(const std::string& path, Bucket& bucket) {
  auto file = BinaryFile::Open(path, /*createIfMissing=*/true);
  if (!file) return false;
  const uint64_t length = file->Size();
  // Rounded to the nearest whole record; a last record held only in part
  // reads its missing bytes as zeros.
  const uint64_t count = (length + kSignatureRecordSize / 2) / kSignatureRecordSize;
  if (count == 0) return true;
  if (count >= UINT32_MAX) return false;
  auto records = ZeroedMemory::Allocate(count * kSignatureRecordSize);
  if (!records) return false;
  const size_t wanted = static_cast<size_t>(std::min<uint64_t>(length, records->size()));
  if (!file->ReadAt(0, records->data(), wanted)) return false;
  try {
    if (bucket.Build(records->data(), count)) return true;
  } catch (const std::bad_alloc&) {
  }
  bucket = Bucket();
  return false;
}

bool SignatureDatabase::Load(const std::string& folder) {
  if (folder.empty()) {
    buckets_ = {};
    return false;
  }
  std::string base = folder;
  if (base.back() != kPathSeparator) base += kPathSeparator;
  std::array<Bucket, kSignatureBucketCount> loaded;
  bool ok = true;
  for (int b = 0; b < kSignatureBucketCount; ++b) {
    if (b != kGeneralBucket) Yield();
    ok = LoadBucket(base + SignatureFileName(b), loaded[b]) && ok;
  }
  buckets_ = std::move(loaded);
  return ok;
}

std::string SignatureDatabase::Match(std::string_view key) const {
  // Only a text of exactly 32 characters can equal a 32-byte key field.
  if (key.size() != kSignatureKeySize) return "";
  const uint64_t hash = HashKey(key.data());
  const int first = SignatureBucketOf(key);
  // Every miss in the bucket goes on to G: fetch its cell meanwhile.
  buckets_[kGeneralBucket].Prefetch(hash);
  const char* record = first != kGeneralBucket ? buckets_[first].Find(key, hash) : nullptr;
  if (!record) record = buckets_[kGeneralBucket].Find(key, hash);
  if (!record) return "";
  return DecodeName(std::string_view(record + kSignatureKeySize, kSignatureNameSize));
}

size_t SignatureDatabase::RecordCount() const {
  size_t total = 0;
  for (const auto& bucket : buckets_) total += bucket.count;
  return total;
}

bool LoadSignatures() {
  return LoadSignatures(ProgramFolder());
}

bool LoadSignatures(const std::string& folder) {
  return ProgramDatabase().Load(folder);
}

std::string MatchSignature(const std::string& key) {
  return ProgramDatabase().Match(key);
}

}  // namespace zq
