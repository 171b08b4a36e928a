#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zq {

// Whole content of a regular file; nullopt when it is missing, not a regular
// file, or cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Replaces (or creates) `path` with `data` so that a crash at any moment
// leaves either the old or the new content: the bytes go to a temporary file
// in the same folder, are flushed to disk, and the temporary file is renamed
// over the target. An existing file keeps its permission bits; a new one gets
// `newFileMode` (before the umask). Returns false and leaves the old file
// untouched on any failure.
bool WriteFileAtomic(const std::string& path, std::string_view data, unsigned newFileMode = 0644);

// True when `path` names an existing regular file (links followed).
bool IsRegularFile(const std::string& path);

// True when `path` names an existing directory (links followed).
bool IsDirectory(const std::string& path);

}  // namespace zq
