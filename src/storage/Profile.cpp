#include "storage/Profile.h"

#include "platform/Encoding.h"
#include "platform/Ini.h"
#include "platform/ProgramFolder.h"

namespace zq {

std::string GetAppFilePath(const std::string& name) {
  std::string folder = ProgramFolder();
  if (folder.empty() || folder.back() != kPathSeparator) folder += kPathSeparator;
  return folder + name;
}

std::string TrimAtNull(std::string_view text) {
  const auto nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return std::string(text);
}

std::string ProfileValueFromRaw(std::string_view raw) {
  return TrimAtNull(raw.substr(0, Utf8PrefixLength(raw, kProfileValueLimit)));
}

std::string ReadIniValue(const std::string& file, const std::string& section, const std::string& key) {
  const auto value = IniReadValue(file, section, key);
  return value ? ProfileValueFromRaw(*value) : std::string();
}

bool WriteIniValue(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) {
  return IniWriteValue(file, section, key, value);
}

}  // namespace zq
