#include "scan/ScanText.h"

#include <array>
#include <cstdio>
#include <vector>

#include "platform/ProgramFolder.h"

namespace zq {
namespace {

char AsciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Byte offsets where characters start: a lead byte and its continuation bytes
// make one character; a continuation byte without a lead counts on its own.
std::vector<size_t> CharacterStarts(std::string_view text) {
  std::vector<size_t> starts;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const bool continuation = (byte & 0xC0) == 0x80;
    if (!continuation || starts.empty()) {
      starts.push_back(i);
      continue;
    }
    // A continuation byte belongs to the character before it only while that
    // character's lead byte still expects more.
    const size_t start = starts.back();
    const auto lead = static_cast<unsigned char>(text[start]);
    const size_t expected = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (i - start >= expected) starts.push_back(i);
  }
  return starts;
}

}  // namespace

bool HasExecutableExtension(std::string_view path) {
  static constexpr std::array<std::string_view, 5> kExtensions = {".DLL", ".EXE", ".COM", ".OCX", ".SCR"};
  if (path.size() < 4) return false;
  std::string last(path.substr(path.size() - 4));
  for (char& c : last) c = AsciiUpper(c);
  for (const auto ext : kExtensions) {
    if (last == ext) return true;
  }
  return false;
}

std::string ShortenForLabel(std::string_view path) {
  constexpr size_t kWhole = 60, kHead = 47, kTail = 10;
  if (path.size() <= kWhole) return std::string(path);  // never more characters than bytes
  const auto starts = CharacterStarts(path);
  if (starts.size() <= kWhole) return std::string(path);
  const std::string_view head = path.substr(0, starts[kHead]);
  const std::string_view tail = path.substr(starts[starts.size() - kTail]);
  return std::string(head) + "..." + std::string(tail);
}

std::string FormatTimeUsed(int64_t seconds) {
  if (seconds < 0) seconds = 0;
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%lld:%02d:%02d", static_cast<long long>(seconds / 3600),
                static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
  return buffer;
}

std::string CollapseSeparators(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  for (size_t i = 0; i < path.size(); ++i) {
    out += path[i];
    if (path[i] == kPathSeparator && i + 1 < path.size() && path[i + 1] == kPathSeparator) ++i;
  }
  return out;
}

std::string WithTrailingSeparator(std::string_view path) {
  std::string out(path);
  if (out.empty() || out.back() != kPathSeparator) out += kPathSeparator;
  return out;
}

std::string RightClickVerdict(std::string_view name) {
  return CharacterStarts(name).size() <= 1 ? "安全" : std::string(name);
}

}  // namespace zq
