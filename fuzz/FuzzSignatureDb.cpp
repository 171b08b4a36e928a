// Arbitrary bytes as signature files, checked against a plain search of the
// records in file order (the behaviour the index must reproduce).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "engine/SignatureDb.h"

namespace {

constexpr size_t kRecord = zq::kSignatureRecordSize;

// Records as the loader sees them: the count rounded to the nearest whole
// record, a part record zero-filled.
std::string Records(std::string_view bytes) {
  std::string records(bytes);
  records.resize((bytes.size() + kRecord / 2) / kRecord * kRecord, '\0');
  return records;
}

const char* LinearFind(const std::string& records, std::string_view key) {
  if (key.size() != zq::kSignatureKeySize) return nullptr;
  for (size_t at = 0; at < records.size(); at += kRecord) {
    if (std::memcmp(records.data() + at, key.data(), key.size()) == 0) return records.data() + at;
  }
  return nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const std::string& dir = zq::fuzz::WorkFolder();
  // First byte: which bucket file gets the first part; second: where G.sig's part begins.
  const int bucket = data[0] % 16;
  std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);
  const size_t split = std::min<size_t>(rest.size(), static_cast<size_t>(data[1]) * 4);
  const std::string_view bucketBytes = rest.substr(0, split);
  const std::string_view generalBytes = rest.substr(split);

  for (int b = 0; b < zq::kSignatureBucketCount; ++b) {
    const std::string_view bytes = b == bucket ? bucketBytes : b == zq::kGeneralBucket ? generalBytes : "";
    zq::fuzz::WriteFile(dir + "/" + zq::SignatureFileName(b), bytes);
  }
  zq::SignatureDatabase db;
  if (!db.Load(dir)) std::abort();

  const std::string inBucket = Records(bucketBytes);
  const std::string inGeneral = Records(generalBytes);
  std::vector<std::string> keys = {"", "0", std::string(32, '0'), std::string(rest.substr(0, 32))};
  for (const std::string* records : {&inBucket, &inGeneral}) {
    for (size_t at = 0; at < records->size() && keys.size() < 64; at += kRecord) {
      std::string key = records->substr(at, zq::kSignatureKeySize);
      keys.push_back(key);
      if (!key.empty() && key[0] >= 'a' && key[0] <= 'z') key[0] = static_cast<char>(key[0] - 32);
      keys.push_back(key);
    }
  }
  for (const auto& key : keys) {
    const char* found = zq::SignatureBucketOf(key) == bucket ? LinearFind(inBucket, key) : nullptr;
    if (!found) found = LinearFind(inGeneral, key);
    const std::string name = db.Match(key);
    if ((found == nullptr) != name.empty()) std::abort();
    // The name field is decoded in place: an ASCII field comes back unchanged.
    if (found) {
      const std::string_view field(found + zq::kSignatureKeySize, zq::kSignatureNameSize);
      bool ascii = true;
      for (char c : field) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
      if (ascii && name != field) std::abort();
    }
  }
  return 0;
}
