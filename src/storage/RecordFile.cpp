#include "storage/RecordFile.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>

#include "storage/Profile.h"

namespace zq {
namespace {

constexpr const char* kCountSection = "Count";
constexpr const char* kMaxIdKey = "MaxID";

// "" is 0; anything but plain decimal digits (after trimming) is not a number.
std::optional<int32_t> ParseMaxId(std::string_view text) {
  if (text.empty()) return 0;
  int32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
  return value;
}

// Highest all-digit key in the field sections. A hand-edited file may hold
// records above its MaxID (or an unreadable MaxID): numbering goes on after
// them, so an append never overwrites a record.
int32_t HighestRecordKey(const IniDocument& doc, const RecordLayout& layout) {
  int32_t highest = 0;
  for (const auto& field : layout.fields) {
    for (const auto& key : doc.Keys(field)) {
      if (key.empty() || key.find_first_not_of("0123456789") != std::string::npos) continue;
      int32_t n = 0;
      const auto [end, ec] = std::from_chars(key.data(), key.data() + key.size(), n);
      if (ec == std::errc()) highest = std::max(highest, n);
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
  static const RecordLayout layout{{"SourceFile", "QuarantineFile"}, {"SourceFile", "QuarantineFile"}};
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
  // One atomic replacement: MaxID and every field land together or not at
  // all, and a value that cannot be stored leaves the file as it was.
  int32_t n = 0;
  const bool stored = IniUpdate(file, [&](IniDocument& doc) {
    const auto maxId = ParseMaxId(ProfileValueFromRaw(doc.Get(kCountSection, kMaxIdKey).value_or("")));
    const int32_t last = std::max(maxId.value_or(0), HighestRecordKey(doc, layout));
    if (last == INT32_MAX) return false;
    n = last + 1;
    if (!doc.Set(kCountSection, kMaxIdKey, std::to_string(n))) return false;
    const std::string key = RecordKey(n);
    for (size_t i = 0; i < values.size(); ++i) {
      if (!doc.Set(layout.fields[i], key, values[i])) return false;
    }
    return true;
  });
  return stored ? n : 0;
}

bool BlankRecord(const std::string& file, const RecordLayout& layout, const std::string& key) {
  return IniUpdate(file, [&](IniDocument& doc) {
    for (const auto& field : layout.identifying) {
      if (!doc.Set(field, key, "")) return false;
    }
    return true;
  });
}

RecordWalk RecordWalk::Load(const std::string& file) {
  RecordWalk walk;
  auto doc = IniLoad(file);
  walk.doc_ = std::make_shared<const IniDocument>(doc ? std::move(*doc) : IniDocument());
  walk.fields_ = std::make_shared<std::unordered_map<std::string, FieldValues>>();
  walk.maxId_ = ParseMaxId(ProfileValueFromRaw(walk.doc_->Get(kCountSection, kMaxIdKey).value_or("")));
  return walk;
}

const RecordWalk::FieldValues& RecordWalk::Values(const std::string& field) const {
  auto [it, inserted] = fields_->try_emplace(AsciiLower(field));
  if (!inserted) return it->second;
  const auto entries = doc_->Entries(field);
  FieldValues& values = it->second;
  values.reserve(entries.size());
  for (const auto& [key, value] : entries) {
    // Only a key spelled exactly as RecordKey spells its number belongs to a record.
    if (key.size() < 5 || (key.size() > 5 && key.front() == '0')) continue;
    if (key.find_first_not_of("0123456789") != std::string_view::npos) continue;
    int32_t n = 0;
    const auto [end, ec] = std::from_chars(key.data(), key.data() + key.size(), n);
    if (ec != std::errc() || n < 1 || n > Count()) continue;
    values.try_emplace(n, value);  // the first occurrence wins
  }
  return values;
}

std::string RecordWalk::Field(int32_t number, const std::string& field) const {
  const auto& values = Values(field);
  const auto it = values.find(number);
  return it == values.end() ? "" : ProfileValueFromRaw(it->second);
}

std::vector<int32_t> RecordWalk::Numbers() const {
  std::vector<int32_t> numbers;
  if (Count() == 0) return numbers;
  // Every field section the file has, not only those of one layout.
  for (const auto& section : doc_->Sections()) {
    if (AsciiLower(section) == "count") continue;
    for (const auto& [n, value] : Values(section)) numbers.push_back(n);
  }
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  return numbers;
}

}  // namespace zq
