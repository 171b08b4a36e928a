#include "platform/guard/ExecHelper.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zq::guard {
namespace {
uint64_t Le(const std::string& bytes, size_t at, size_t width) {
  uint64_t v = 0;
  for (size_t i = width; i-- > 0;) v = (v << 8) | static_cast<uint8_t>(bytes[at + i]);
  return v;
}

std::string ScriptInterpreter(const std::string& head) {
  // The kernel reads the "#!" line from the first bytes only.
  const auto end = head.find('\n');
  std::string line = head.substr(2, end == std::string::npos ? std::string::npos : end - 2);
  const auto start = line.find_first_not_of(" \t");
  if (start == std::string::npos) return "";
  line.erase(0, start);
  return line.substr(0, line.find_first_of(" \t\r"));
}

std::string ElfInterpreter(const FileReader& read, const std::string& ident) {
  const bool is64 = ident[4] == 2;
  if ((ident[4] != 1 && !is64) || ident[5] != 1) return "";  // little-endian only
  const std::string header = read(0, is64 ? 64 : 52);
  if (header.size() < (is64 ? 64u : 52u)) return "";
  const uint64_t phoff = is64 ? Le(header, 32, 8) : Le(header, 28, 4);
  const uint64_t phentsize = Le(header, is64 ? 54 : 42, 2);
  const uint64_t phnum = Le(header, is64 ? 56 : 44, 2);
  if (phentsize < (is64 ? 56u : 32u) || phnum > 256) return "";
  const std::string table = read(phoff, static_cast<size_t>(phentsize * phnum));
  if (table.size() < phentsize * phnum) return "";
  for (uint64_t i = 0; i < phnum; ++i) {
    const size_t at = static_cast<size_t>(i * phentsize);
    if (Le(table, at, 4) != 3) continue;  // PT_INTERP
    const uint64_t offset = is64 ? Le(table, at + 8, 8) : Le(table, at + 4, 4);
    const uint64_t size = is64 ? Le(table, at + 32, 8) : Le(table, at + 16, 4);
    if (size == 0 || size > 4096) return "";
    std::string path = read(offset, static_cast<size_t>(size));
    const auto nul = path.find('\0');
    if (nul != std::string::npos) path.resize(nul);
    return path;
  }
  return "";
}
}  // namespace

std::string ExecInterpreter(const FileReader& read) {
  const std::string head = read(0, 256);
  if (head.size() >= 2 && head[0] == '#' && head[1] == '!') return ScriptInterpreter(head);
  if (head.size() >= 16 && std::memcmp(head.data(),
                                       "\x7f"
                                       "ELF",
                                       4) == 0)
    return ElfInterpreter(read, head);
  return "";
}

std::string ExecInterpreterOfFd(int fd) {
  return ExecInterpreter([fd](uint64_t offset, size_t length) {
    std::string out(length, '\0');
    size_t got = 0;
    while (got < length) {
      const ssize_t n = ::pread(fd, out.data() + got, length - got, static_cast<off_t>(offset + got));
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
    out.resize(got);
    return out;
  });
}

}  // namespace zq::guard

namespace zq::guard {

std::optional<FileIdentity> IdentityOfFd(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return std::nullopt;
  return FileIdentity{st.st_dev, st.st_ino};
}

std::optional<FileIdentity> IdentityInProcess(pid_t pid, const std::string& path) {
  if (path.empty() || pid <= 0) return std::nullopt;
  const bool absolute = path.front() == '/';
  const std::string base = "/proc/" + std::to_string(pid) + (absolute ? "/root" : "/cwd");
  const int dir = ::open(base.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return std::nullopt;
  // Resolved the way the kernel did for that process: "/" and absolute links
  // stay inside its root (a chroot or a container).
  open_how how{};
  how.flags = O_PATH | O_CLOEXEC;
  how.resolve = absolute ? RESOLVE_IN_ROOT : 0;
  const char* name = absolute ? path.c_str() + 1 : path.c_str();
  int fd = static_cast<int>(::syscall(SYS_openat2, dir, name, &how, sizeof how));
  if (fd < 0 && errno == ENOSYS) fd = ::openat(dir, name, O_PATH | O_CLOEXEC);
  ::close(dir);
  if (fd < 0) return std::nullopt;
  const auto id = IdentityOfFd(fd);
  ::close(fd);
  return id;
}

}  // namespace zq::guard
