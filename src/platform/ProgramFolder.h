#pragma once

#include <string>

namespace zq {

// The one path separator of the host; every path the program builds uses it.
inline constexpr char kPathSeparator = '/';

// Folder of the running executable, without a trailing separator unless it is
// the root. An override (set by zqscan --home and by tests) takes precedence.
std::string ProgramFolder();

// Points ProgramFolder() at another folder; an empty text removes the override.
void SetProgramFolder(const std::string& folder);

// Full path of the running executable ("" when it cannot be read).
std::string ExecutablePath();

}  // namespace zq
