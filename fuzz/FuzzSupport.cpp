#include "FuzzSupport.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

namespace zq::fuzz {

const std::string& WorkFolder() {
  // Never destroyed: the exit handler below still needs it.
  static const std::string* folder = [] {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/zqfuzz.XXXXXX";
    if (!::mkdtemp(pattern.data())) std::abort();
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(WorkFolder(), ec);
    });
    return new std::string(pattern);
  }();
  return *folder;
}

void WriteFile(const std::string& path, std::string_view bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) std::abort();
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n <= 0) std::abort();
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  ::close(fd);
}

}  // namespace zq::fuzz
