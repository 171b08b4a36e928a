#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ZeroedMemory.h"

namespace zq {

// A signature file is a plain run of 66-byte records: 32 bytes of key text,
// 32 bytes of name (blank-filled), 2 bytes never interpreted.
inline constexpr size_t kSignatureRecordSize = 66;
inline constexpr size_t kSignatureKeySize = 32;
inline constexpr size_t kSignatureNameSize = 32;
// Buckets 0..15 hold keys by their first hex digit; bucket 16 ("G") is general.
inline constexpr int kSignatureBucketCount = 17;
inline constexpr int kGeneralBucket = 16;

// "0.sig" … "9.sig", "A.sig" … "F.sig", "G.sig".
std::string SignatureFileName(int bucket);

// Bucket searched first for a key: its upper-cased first character as a hex
// digit, or kGeneralBucket when it names none (or the key is empty).
int SignatureBucketOf(std::string_view key);

// True for 32 upper-case hex digits, the only keys that can match.
bool IsSectionKey(std::string_view key);

// One 66-byte record for `key` and `name` (UTF-8, at most 32 bytes, blank-
// filled, CR LF in the two trailing bytes); nullopt when the key is not a
// section key or the name is too long.
std::optional<std::string> MakeSignatureRecord(std::string_view key, std::string_view name);

// The seventeen buckets, indexed so that a lookup costs the same whatever
// their size, with the result of a search in file order: the first record
// of the key's bucket, then the first of "G".
class SignatureDatabase {
 public:
  // Reads the seventeen files of `folder`, creating missing ones empty, and
  // replaces the content. False when a file could not be created or read (its
  // bucket stays empty; the others are loaded).
  bool Load(const std::string& folder);

  // The name field of the first matching record, blanks kept, or "".
  std::string Match(std::string_view key) const;

  size_t RecordCount() const;

 private:
  // The distinct keys of one file, each with the name of its first record,
  // grouped into cells by the top bits of the key's hash. The cell table and
  // the one-byte tags stay in cache, so a lookup reads one entry line at most.
  struct Bucket {
    ZeroedMemory entries;  // 64 bytes each: key, name
    ZeroedMemory starts;   // uint32_t per cell, plus one: first entry of the cell
    ZeroedMemory tags;     // one byte of the hash per entry
    int cellBits = 0;
    size_t count = 0;  // records in the file, duplicates included
    size_t unique = 0;
    size_t CellOf(uint64_t hash) const {
      return cellBits == 0 ? 0 : static_cast<size_t>(hash >> (64 - cellBits));
    }
    const char* Find(std::string_view key, uint64_t hash) const;
    void Prefetch(uint64_t hash) const;
    bool Build(const char* records, size_t recordCount);
  };
  static bool LoadBucket(const std::string& path, Bucket& bucket);
  std::array<Bucket, kSignatureBucketCount> buckets_;
};

// The program's database: the signature files of ProgramFolder(). Called at
// start-up; yields before each of the first sixteen files.
bool LoadSignatures();
bool LoadSignatures(const std::string& folder);

// Name field (blanks kept; the caller trims) of the first record whose key
// equals `key` exactly, searching its bucket and then "G"; "" for no match.
std::string MatchSignature(const std::string& key);

}  // namespace zq
