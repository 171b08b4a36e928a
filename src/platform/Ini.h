#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace zq {

// A profile (INI) file in memory with the read and write rules of the
// original platform, so files move both ways:
//  - section and key names match without regard to ASCII case and to the
//    blanks around them ("[ Count ]" is "Count"); the first occurrence wins;
//  - values are trimmed, and one matching pair of quotes around them is dropped;
//  - ";" starts a comment line; text after "]" on a section line is ignored;
//  - CRLF, LF and CR line ends are read; each line is decoded on its own as
//    UTF-8, or as GBK when it is not valid UTF-8;
//  - a write replaces a value in place, adds a missing key after the last key
//    of its section and a missing section at the end, and keeps every other
//    line as it was.
class IniDocument {
 public:
  static IniDocument Parse(std::string_view bytes);

  // The value as read (trimmed, unquoted, unlimited length); nullopt when the
  // section or key is absent.
  std::optional<std::string> Get(std::string_view section, std::string_view key) const;

  // Section names as spelled in the file, each name once (first occurrence),
  // in file order.
  std::vector<std::string> Sections() const;

  // Names of the keys of a section (first occurrence), in file order, as
  // spelled in the file; empty when the section is absent.
  std::vector<std::string> Keys(std::string_view section) const;

  // Key names and values (as Get returns them) of a section's first
  // occurrence, in file order, duplicates included. The views live as long as
  // the document is not changed.
  std::vector<std::pair<std::string_view, std::string_view>> Entries(std::string_view section) const;

  // Sets one value. False (and nothing changed) when the section or key name,
  // or the value, would inject lines or break the file's structure.
  bool Set(std::string_view section, std::string_view key, std::string_view value);

  // The file's bytes: UTF-8, each line with its own line end; new lines take
  // the file's first line end (CRLF for a new file).
  std::string Serialize() const;

  // Every value, for many lookups after one parse. Keys are lower-cased names.
  using Section = std::unordered_map<std::string, std::string>;
  std::unordered_map<std::string, Section> Index() const;

 private:
  enum class Kind : uint8_t { Other, Section, Key };
  // Every line's decoded text lives in one buffer (a record file has tens of
  // thousands of lines); a changed line gets fresh text at the buffer's end.
  struct Line {
    size_t begin = 0;  // text in buffer_, without the line end
    uint32_t size = 0;
    std::string_view eol;  // "\r\n", "\n", "\r" or "" for an unterminated last line
    Kind kind = Kind::Other;
    // Trimmed section or key name, and for key lines the value after the read
    // rules, relative to `begin`.
    uint32_t nameBegin = 0, nameSize = 0, valueBegin = 0, valueSize = 0;
  };
  std::string_view Text(const Line& line) const {
    return std::string_view(buffer_).substr(line.begin, line.size);
  }
  std::string_view Name(const Line& line) const { return Text(line).substr(line.nameBegin, line.nameSize); }
  std::string_view Value(const Line& line) const {
    return Text(line).substr(line.valueBegin, line.valueSize);
  }
  // Appends `text` to the buffer and returns it as a parsed line.
  Line MakeLine(std::string_view text, std::string_view eol);

  std::string buffer_;
  std::vector<Line> lines_;
  std::string_view newline_ = "\r\n";
  bool bom_ = false;
};

// Largest profile file read; a bigger one reads as unreadable.
inline constexpr size_t kMaxIniFileSize = size_t{256} << 20;

// True when `name` can be a section or key name without changing the file's
// structure (no line break, NUL, "]" or "="; not starting with ";" or "[").
bool IsSafeIniName(std::string_view name);
// True when `value` holds no line break and no NUL.
bool IsSafeIniValue(std::string_view value);

// Lower-cases ASCII letters only, as the name matching does.
std::string AsciiLower(std::string_view text);

// One value from a file; nullopt when the file, section or key is missing or
// the file cannot be read.
std::optional<std::string> IniReadValue(const std::string& path, std::string_view section,
                                        std::string_view key);

// Writes one value, creating the file and the section when missing; the file
// is replaced atomically. False when the write was refused or failed, and
// then the file is unchanged.
bool IniWriteValue(const std::string& path, std::string_view section, std::string_view key,
                   std::string_view value);

// Several changes to one file in one atomic replacement: the file is loaded
// (an empty document when it is missing), `edit` changes it, and the result is
// written when `edit` returns true. False, with the file unchanged, when the
// file cannot be read, `edit` refuses, or the write fails.
bool IniUpdate(const std::string& path, const std::function<bool(IniDocument&)>& edit);

// Parses a whole file once for many lookups; nullopt when it cannot be read.
std::optional<IniDocument> IniLoad(const std::string& path);

}  // namespace zq
