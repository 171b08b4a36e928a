#pragma once

#include <cstdint>
#include <optional>
#include <string>
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
// first, then each field written. Returns the new record number, or 0 when
// nothing could be stored (a value that cannot be stored, a file that cannot
// be written). A MaxID that is not a number is never trusted for numbering:
// the new record goes after the highest record key found in the file, so no
// existing record is overwritten.
int32_t AppendRecord(const std::string& file, const RecordLayout& layout,
                     const std::vector<std::string>& values);

// Empties the identifying fields of one record; MaxID and the other fields stay.
bool BlankRecord(const std::string& file, const RecordLayout& layout, const std::string& key);

// One walk over a record file: the file is read and parsed once, when the
// walk is made; every field then comes from memory.
class RecordWalk {
 public:
  static RecordWalk Load(const std::string& file);

  // Highest record number; nullopt when MaxID is not a number (walk nothing).
  std::optional<int32_t> MaxId() const { return maxId_; }
  // Records 1..MaxId to walk (0 when MaxID is not a number).
  int32_t Count() const { return maxId_.value_or(0); }
  // A field of record n, as ReadIniValue would return it.
  std::string Field(int32_t number, const std::string& field) const;

 private:
  std::unordered_map<std::string, IniDocument::Section> index_;
  std::optional<int32_t> maxId_ = 0;
};

}  // namespace zq
