#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
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
  enum class Kind { Other, Section, Key };
  struct Line {
    std::string text;      // decoded line without its line end
    std::string_view eol;  // "\r\n", "\n", "\r" or "" for an unterminated last line
    Kind kind = Kind::Other;
    std::string name;   // trimmed section or key name
    std::string value;  // key lines: value after the read rules
  };
  static Line ParseLine(std::string text, std::string_view eol);

  std::vector<Line> lines_;
  std::string_view newline_ = "\r\n";
  bool bom_ = false;
};

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

// Parses a whole file once for many lookups; nullopt when it cannot be read.
std::optional<IniDocument> IniLoad(const std::string& path);

}  // namespace zq
