#include "platform/Ini.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/Encoding.h"
#include "platform/FileIo.h"

namespace zq {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::string_view Unquote(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    v = v.substr(1, v.size() - 2);
  }
  return v;
}

}  // namespace

std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool IsSafeIniName(std::string_view name) {
  const std::string_view trimmed = Trim(name);
  if (trimmed.empty()) return false;
  if (trimmed.front() == ';' || trimmed.front() == '[') return false;
  return name.find_first_of(std::string_view("\r\n\0]=", 5)) == std::string_view::npos;
}

bool IsSafeIniValue(std::string_view value) {
  return value.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

IniDocument::Line IniDocument::MakeLine(std::string_view text, std::string_view eol) {
  Line line;
  line.begin = buffer_.size();
  line.size = static_cast<uint32_t>(text.size());
  line.eol = eol;
  buffer_.append(text);
  const std::string_view t = Trim(text);
  auto span = [&text](std::string_view part, uint32_t& begin, uint32_t& size) {
    begin = static_cast<uint32_t>(part.data() - text.data());
    size = static_cast<uint32_t>(part.size());
  };
  if (!t.empty() && t.front() == '[') {
    line.kind = Kind::Section;
    std::string_view name = t.substr(1);
    const auto close = name.find(']');
    if (close != std::string_view::npos) name = name.substr(0, close);
    span(Trim(name), line.nameBegin, line.nameSize);
  } else if (!t.empty() && t.front() != ';') {
    const auto eq = t.find('=');
    if (eq != std::string_view::npos) {
      line.kind = Kind::Key;
      span(Trim(t.substr(0, eq)), line.nameBegin, line.nameSize);
      span(Unquote(Trim(t.substr(eq + 1))), line.valueBegin, line.valueSize);
    }
  }
  return line;
}

IniDocument IniDocument::Parse(std::string_view bytes) {
  IniDocument doc;
  if (bytes.size() > kMaxIniFileSize) bytes = bytes.substr(0, kMaxIniFileSize);
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    doc.bom_ = true;
    bytes.remove_prefix(3);
  }
  // GBK text grows by half when decoded; UTF-8 text stays as it is.
  doc.buffer_.reserve(bytes.size() + bytes.size() / 8);
  size_t lineEnds = 0;
  for (const char c : bytes) lineEnds += (c == '\n' || c == '\r');
  doc.lines_.reserve(lineEnds + 1);

  bool newlineSeen = false;
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = bytes.find_first_of("\r\n", pos);
    std::string_view eol;
    size_t next;
    if (end == std::string_view::npos) {
      end = bytes.size();
      next = end;
    } else if (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') {
      eol = "\r\n";
      next = end + 2;
    } else {
      eol = bytes[end] == '\r' ? "\r" : "\n";
      next = end + 1;
    }
    if (!newlineSeen && !eol.empty()) {
      doc.newline_ = eol;
      newlineSeen = true;
    }
    const std::string_view raw = bytes.substr(pos, end - pos);
    if (IsValidUtf8(raw)) {
      doc.lines_.push_back(doc.MakeLine(raw, eol));
    } else {
      // A line that is neither UTF-8 nor GBK is kept byte for byte.
      const auto decoded = DecodeLegacyText(raw);
      doc.lines_.push_back(doc.MakeLine(decoded ? std::string_view(*decoded) : raw, eol));
    }
    pos = next;
  }
  return doc;
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const {
  section = Trim(section);
  key = Trim(key);
  bool inSection = false;
  bool sectionSeen = false;
  for (const Line& line : lines_) {
    if (line.kind == Kind::Section) {
      if (inSection) return std::nullopt;  // only the first occurrence counts
      inSection = !sectionSeen && EqualsNoCase(Name(line), section);
      sectionSeen = sectionSeen || inSection;
    } else if (inSection && line.kind == Kind::Key && EqualsNoCase(Name(line), key)) {
      return std::string(Value(line));
    }
  }
  return std::nullopt;
}

std::vector<std::string> IniDocument::Sections() const {
  std::vector<std::string> names;
  for (const Line& line : lines_) {
    if (line.kind != Kind::Section) continue;
    bool seen = false;
    for (const auto& n : names) seen = seen || EqualsNoCase(n, Name(line));
    if (!seen) names.emplace_back(Name(line));
  }
  return names;
}

std::vector<std::pair<std::string_view, std::string_view>> IniDocument::Entries(
    std::string_view section) const {
  section = Trim(section);
  std::vector<std::pair<std::string_view, std::string_view>> entries;
  bool inSection = false;
  bool sectionSeen = false;
  for (const Line& line : lines_) {
    if (line.kind == Kind::Section) {
      if (inSection) break;
      inSection = !sectionSeen && EqualsNoCase(Name(line), section);
      sectionSeen = sectionSeen || inSection;
    } else if (inSection && line.kind == Kind::Key) {
      entries.emplace_back(Name(line), Value(line));
    }
  }
  return entries;
}

std::vector<std::string> IniDocument::Keys(std::string_view section) const {
  std::vector<std::string> keys;
  for (const auto& [name, value] : Entries(section)) keys.emplace_back(name);
  return keys;
}

bool IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
  if (!IsSafeIniName(section) || !IsSafeIniName(key) || !IsSafeIniValue(value)) return false;
  if (!IsValidUtf8(section) || !IsValidUtf8(key) || !IsValidUtf8(value)) return false;
  section = Trim(section);
  key = Trim(key);

  size_t header = lines_.size();
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind == Kind::Section && EqualsNoCase(Name(lines_[i]), section)) {
      header = i;
      break;
    }
  }
  auto terminateLast = [this] {
    if (!lines_.empty() && lines_.back().eol.empty()) lines_.back().eol = newline_;
  };
  if (header == lines_.size()) {
    terminateLast();
    lines_.push_back(MakeLine("[" + std::string(section) + "]", newline_));
    lines_.push_back(MakeLine(std::string(key) + "=" + std::string(value), newline_));
    return true;
  }
  size_t lastKey = header;
  for (size_t i = header + 1; i < lines_.size() && lines_[i].kind != Kind::Section; ++i) {
    if (lines_[i].kind != Kind::Key) continue;
    if (EqualsNoCase(Name(lines_[i]), key)) {
      // Keep the name as the file spells it.
      lines_[i] = MakeLine(std::string(Name(lines_[i])) + "=" + std::string(value), lines_[i].eol);
      return true;
    }
    lastKey = i;
  }
  if (lastKey + 1 == lines_.size()) terminateLast();
  const Line added = MakeLine(std::string(key) + "=" + std::string(value), newline_);
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(lastKey) + 1, added);
  return true;
}

std::string IniDocument::Serialize() const {
  std::string out;
  out.reserve(buffer_.size() + 2 * lines_.size() + 3);
  if (bom_) out = "\xEF\xBB\xBF";
  for (const Line& line : lines_) {
    out += Text(line);
    out += line.eol;
  }
  return out;
}

std::unordered_map<std::string, IniDocument::Section> IniDocument::Index() const {
  std::unordered_map<std::string, Section> index;
  Section* current = nullptr;
  for (const Line& line : lines_) {
    if (line.kind == Kind::Section) {
      auto [it, inserted] = index.try_emplace(AsciiLower(Name(line)));
      current = inserted ? &it->second : nullptr;  // a repeated section is ignored
    } else if (line.kind == Kind::Key && current) {
      current->try_emplace(AsciiLower(Name(line)), Value(line));
    }
  }
  return index;
}

std::optional<IniDocument> IniLoad(const std::string& path) {
  auto bytes = ReadWholeFile(path, kMaxIniFileSize);
  if (!bytes) return std::nullopt;
  return IniDocument::Parse(*bytes);
}

std::optional<std::string> IniReadValue(const std::string& path, std::string_view section,
                                        std::string_view key) {
  auto doc = IniLoad(path);
  if (!doc) return std::nullopt;
  return doc->Get(section, key);
}

bool IniUpdate(const std::string& path, const std::function<bool(IniDocument&)>& edit) {
  IniDocument doc;
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    auto existing = IniLoad(path);
    if (!existing) return false;  // unreadable: never overwrite what we cannot keep
    doc = std::move(*existing);
  } else if (errno != ENOENT) {
    return false;
  }
  if (!edit(doc)) return false;
  return WriteFileAtomic(path, doc.Serialize());
}

bool IniWriteValue(const std::string& path, std::string_view section, std::string_view key,
                   std::string_view value) {
  return IniUpdate(path, [&](IniDocument& doc) { return doc.Set(section, key, value); });
}

}  // namespace zq
