#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zq {

// True when the path ends in one of the executable extensions (.dll, .exe,
// .com, .ocx, .scr), compared on its last four characters, case ignored.
bool HasExecutableExtension(std::string_view path);

// The path as the now-scanning label shows it: whole when it has at most 60
// characters, else its first 47 characters, "..." and its last 10. Characters
// are UTF-8 characters, never split; a stray byte counts as one character.
std::string ShortenForLabel(std::string_view path);

// Elapsed seconds as H:MM:SS ("0:01:05"); hours keep counting past a day.
std::string FormatTimeUsed(int64_t seconds);

// folder + name with every pair of separators replaced by one.
std::string CollapseSeparators(std::string_view path);

// The text followed by the separator unless it already ends in one.
std::string WithTrailingSeparator(std::string_view path);

// Third column of the context-menu result list: the virus name, or "安全" when
// the name is empty or a single character.
std::string RightClickVerdict(std::string_view name);

}  // namespace zq
