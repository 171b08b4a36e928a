#pragma once

#include <string>

namespace zq {

// Removes one file (not a folder). False when nothing was removed.
bool RemoveFile(const std::string& path);

enum class CopyResult { Copied, TargetExists, Failed };

// Copies the regular file `from` to a new file `to`, which must not exist yet:
// the copy gets `mode` (before the umask), is written completely and flushed
// to disk together with its folder entry before this returns Copied. A copy
// that fails half-way is removed again, so no torn file is left behind.
// `from` is opened without blocking and must be a regular file (a FIFO or a
// device is never read).
CopyResult CopyToNewFile(const std::string& from, const std::string& to, unsigned mode);

// `path` made absolute against the working folder, with "." parts and
// doubled separators dropped but links not resolved, so ".." stays ("" when
// the working folder cannot be read).
std::string AbsolutePath(const std::string& path);

}  // namespace zq
