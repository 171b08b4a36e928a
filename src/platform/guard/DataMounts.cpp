#include "platform/guard/DataMounts.h"

#include <algorithm>
#include <array>

#include "platform/FileIo.h"

namespace zq::guard {
namespace {
constexpr std::array<std::string_view, 20> kPseudo = {
    "proc",    "sysfs",       "cgroup",     "cgroup2", "devpts",     "devtmpfs", "mqueue",
    "debugfs", "tracefs",     "securityfs", "pstore",  "bpf",        "configfs", "fusectl",
    "autofs",  "binfmt_misc", "hugetlbfs",  "nsfs",    "rpc_pipefs", "efivarfs"};

// mountinfo writes blanks, tabs, newlines and backslashes as \ooo.
std::string Unescape(std::string_view field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      const auto d = field.substr(i + 1, 3);
      if (std::all_of(d.begin(), d.end(), [](char c) { return c >= '0' && c <= '7'; })) {
        out.push_back(static_cast<char>((d[0] - '0') * 64 + (d[1] - '0') * 8 + (d[2] - '0')));
        i += 3;
        continue;
      }
    }
    out.push_back(field[i]);
  }
  return out;
}

std::vector<std::string_view> Split(std::string_view line) {
  std::vector<std::string_view> out;
  size_t pos = 0;
  while (pos < line.size()) {
    const auto end = line.find(' ', pos);
    out.push_back(line.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos));
    if (end == std::string_view::npos) break;
    pos = end + 1;
  }
  return out;
}
}  // namespace

std::vector<std::string> DataMountPoints(std::string_view mountinfo) {
  std::vector<std::string> out;
  size_t pos = 0;
  while (pos < mountinfo.size()) {
    auto end = mountinfo.find('\n', pos);
    if (end == std::string_view::npos) end = mountinfo.size();
    const auto fields = Split(mountinfo.substr(pos, end - pos));
    pos = end + 1;
    // id parent major:minor root mountpoint options [optional...] - fstype source superopts
    const auto dash = std::find(fields.begin(), fields.end(), std::string_view("-"));
    if (fields.size() < 5 || dash == fields.end() || dash + 1 == fields.end()) continue;
    const std::string_view type = *(dash + 1);
    if (std::find(kPseudo.begin(), kPseudo.end(), type) != kPseudo.end()) continue;
    std::string point = Unescape(fields[4]);
    if (std::find(out.begin(), out.end(), point) == out.end()) out.push_back(std::move(point));
  }
  return out;
}

std::vector<std::string> DataMountPoints() {
  const auto text = ReadWholeFile("/proc/self/mountinfo");
  if (!text) return {};
  return DataMountPoints(*text);
}

}  // namespace zq::guard
