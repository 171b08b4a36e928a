#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace zq::guard {

// Reads up to `length` bytes at `offset` of a file (fewer at its end).
using FileReader = std::function<std::string(uint64_t offset, size_t length)>;

// The file the kernel opens next while starting this one: the interpreter of
// a "#!" script or the program interpreter (dynamic loader) of an ELF file.
// "" when there is none or the file is not understood. The guard lets that
// second open of the same start through once the first one was allowed, so
// one start is asked about once.
std::string ExecInterpreter(const FileReader& read);

// The same for an open file descriptor.
std::string ExecInterpreterOfFd(int fd);

// Which file is meant, whatever name reached it.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> IdentityOfFd(int fd);

// The file that process `pid` reaches under `path`: an absolute path inside
// its own root, a relative one from its working folder, links followed.
// Nothing is opened for reading, so no start or open event is caused.
std::optional<FileIdentity> IdentityInProcess(pid_t pid, const std::string& path);

}  // namespace zq::guard
