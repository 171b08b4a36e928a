#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/Ini.h"

namespace zq {

// The shape of one numbered record file: its field sections in write order,
// and the fields that blanking empties.
struct RecordLayout {
  std::vector<std::string> fields;
  std::vector<std::string> identifying;
};

// VevezoRezezad.ini: the black and white lists.
const RecordLayout& ListRecordLayout();
// Quarantine.ini: the quarantine index.
const RecordLayout& QuarantineRecordLayout();

// Record number as a key: at least five digits with leading zeros.
std::string RecordKey(int32_t number);

// Appends one record (one value per field, in write order): MaxID is raised
// and every field written in one atomic replacement of the file. The new
// number follows MaxID and also the highest record key already in the field
// sections, so a hand-edited MaxID (too low, or not a number) never makes an
// append overwrite a record; MaxID is always written as plain digits.
// Returns the new record number, or 0 when nothing was stored (a value that
// cannot be stored, a file that cannot be read or written).
int32_t AppendRecord(const std::string& file, const RecordLayout& layout,
                     const std::vector<std::string>& values);

// Empties the identifying fields of one record in one atomic write; MaxID and
// the other fields stay. False when nothing was written.
bool BlankRecord(const std::string& file, const RecordLayout& layout, const std::string& key);

// One walk over a record file: the file is read and parsed once, when the
// walk is made; every field then comes from memory. Copies share the parse.
class RecordWalk {
 public:
  static RecordWalk Load(const std::string& file);

  // Highest record number; nullopt when MaxID is not a number (walk nothing).
  std::optional<int32_t> MaxId() const { return maxId_; }
  // Records 1..MaxId to walk (0 when MaxID is not a number).
  int32_t Count() const { return maxId_.value_or(0); }
  // A field of record n, as ReadIniValue would return it.
  std::string Field(int32_t number, const std::string& field) const;

  // The numbers from 1 to Count() that have at least one line in the file,
  // ascending. A number without any line reads as a blank record, which every
  // reader skips, so walking these gives the same result as walking
  // 1..Count() and stays quick when a hand-edited MaxID is huge.
  std::vector<int32_t> Numbers() const;

 private:
  // Record number -> value of one field section.
  using FieldValues = std::unordered_map<int32_t, std::string_view>;
  const FieldValues& Values(const std::string& field) const;

  std::shared_ptr<const IniDocument> doc_;
  std::optional<int32_t> maxId_ = 0;
  // Built on first use of each field.
  mutable std::shared_ptr<std::unordered_map<std::string, FieldValues>> fields_;
};

}  // namespace zq
