#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zq {

// Whole content of a regular file; nullopt when it is missing, not a regular
// file, larger than `maxBytes`, or cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path, size_t maxBytes = SIZE_MAX);

// Replaces (or creates) `path` with `data` so that a crash at any moment
// leaves either the old or the new content: the bytes go to a temporary file
// in the same folder, are flushed to disk, and the temporary file is renamed
// over the target. An existing file keeps its permission bits; a new one gets
// `newFileMode` (before the umask). A symbolic link is followed: its target is
// replaced. A read-only target (no write permission bit, or not writable for
// this process) is refused. Returns false and leaves the old file untouched on
// any failure.
bool WriteFileAtomic(const std::string& path, std::string_view data, unsigned newFileMode = 0644);

// True when `path` names an existing regular file (links followed).
bool IsRegularFile(const std::string& path);

// True when `path` names an existing directory (links followed).
bool IsDirectory(const std::string& path);

}  // namespace zq
