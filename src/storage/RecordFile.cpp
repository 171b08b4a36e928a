#include "storage/RecordFile.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "storage/Profile.h"

namespace zq {
namespace {

constexpr const char* kCountSection = "Count";
constexpr const char* kMaxIdKey = "MaxID";

// "" is 0; anything but plain decimal digits (after trimming) is not a number.
std::optional<int32_t> ParseMaxId(const std::string& text) {
  if (text.empty()) return 0;
  int32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
  return value;
}

// Highest all-digit key in any field section; the floor for a new number
// when the counter cannot be read.
int32_t HighestRecordKey(const std::string& file, const RecordLayout& layout) {
  int32_t highest = 0;
  const auto doc = IniLoad(file);
  if (!doc) return 0;
  const auto index = doc->Index();
  for (const auto& field : layout.fields) {
    const auto sec = index.find(AsciiLower(field));
    if (sec == index.end()) continue;
    for (const auto& [key, value] : sec->second) {
      int32_t n = 0;
      const auto [end, ec] = std::from_chars(key.data(), key.data() + key.size(), n);
      if (ec == std::errc() && end == key.data() + key.size()) highest = std::max(highest, n);
    }
  }
  return highest;
}

}  // namespace

const RecordLayout& ListRecordLayout() {
  static const RecordLayout layout{{"File", "Signature", "Description", "DefenseFlag"},
                                   {"File", "Signature"}};
  return layout;
}

const RecordLayout& QuarantineRecordLayout() {
  static const RecordLayout layout{{"SourceFile", "QuarantineFile"},
                                   {"SourceFile", "QuarantineFile"}};
  return layout;
}

std::string RecordKey(int32_t number) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%05d", static_cast<int>(number));
  return buffer;
}

int32_t AppendRecord(const std::string& file, const RecordLayout& layout,
                     const std::vector<std::string>& values) {
  if (values.size() != layout.fields.size()) return 0;
  // Check every value first so a refused one cannot leave half a record.
  for (const auto& v : values) {
    if (!IsSafeIniValue(v)) return 0;
  }
  const auto maxId = ParseMaxId(ReadIniValue(file, kCountSection, kMaxIdKey));
  const int32_t last = maxId ? *maxId : HighestRecordKey(file, layout);
  if (last == INT32_MAX) return 0;
  const int32_t n = last + 1;
  if (!WriteIniValue(file, kCountSection, kMaxIdKey, std::to_string(n))) return 0;
  const std::string key = RecordKey(n);
  for (size_t i = 0; i < values.size(); ++i) WriteIniValue(file, layout.fields[i], key, values[i]);
  return n;
}

bool BlankRecord(const std::string& file, const RecordLayout& layout, const std::string& key) {
  bool ok = true;
  for (const auto& field : layout.identifying) ok = WriteIniValue(file, field, key, "") && ok;
  return ok;
}

RecordWalk RecordWalk::Load(const std::string& file) {
  RecordWalk walk;
  if (auto doc = IniLoad(file)) walk.index_ = doc->Index();
  const auto sec = walk.index_.find(AsciiLower(kCountSection));
  std::string raw;
  if (sec != walk.index_.end()) {
    const auto it = sec->second.find(AsciiLower(kMaxIdKey));
    if (it != sec->second.end()) raw = ProfileValueFromRaw(it->second);
  }
  walk.maxId_ = ParseMaxId(raw);
  return walk;
}

std::string RecordWalk::Field(int32_t number, const std::string& field) const {
  const auto sec = index_.find(AsciiLower(field));
  if (sec == index_.end()) return "";
  const auto it = sec->second.find(RecordKey(number));
  return it == sec->second.end() ? "" : ProfileValueFromRaw(it->second);
}

}  // namespace zq
