#include "storage/Settings.h"

#include <charconv>
#include <climits>

#include "storage/Profile.h"

namespace zq {

const SettingDefault kShippedSettings[] = {
    {"Normal", "VaroZevav", "0", SettingForm::Switch},
    {"Normal", "AutoRun", "0", SettingForm::Switch},
    {"Normal", "AutoTray", "0", SettingForm::Switch},
    {"Normal", "RightClickMenu", "0", SettingForm::Switch},
    {"Normal", "Skin", "经典蓝", SettingForm::Text},
    {"Scan", "CheckLowCPU", "1", SettingForm::Switch},
    {"Scan", "ScanAllFiles", "False", SettingForm::Choice},
    {"Scan", "ScanPeFiles", "True", SettingForm::Choice},
    {"Scan", "ClearVirus", "False", SettingForm::Choice},
    {"Scan", "AlertVirus", "True", SettingForm::Choice},
    {"Scan", "IgnoreVirus", "False", SettingForm::Choice},
    {"Scan", "QuarantineVirus", "False", SettingForm::Choice},
    {"Shield", "NormalLevel", "True", SettingForm::Choice},
    {"Shield", "HighLevel", "False", SettingForm::Choice},
    {"Shield", "CloudSecurty", "0", SettingForm::Switch},
    {"Shield", "EnableAlertMessage", "1", SettingForm::Switch},
    {"Shield", "AutoCloseAlertMessage", "1", SettingForm::Switch},
    {"Shield", "AutoCloseAlertMessageInterval", "5", SettingForm::Number},
    {"Update", "AutoUpdate", "0", SettingForm::Switch},
    {"Update", "AutoUpdateIntervel", "3", SettingForm::Number},
    {"History", "LastScanUsedTime", "", SettingForm::Text},
    {"History", "LastScanFiles", "", SettingForm::Text},
    {"History", "LastDetectedSpywares", "", SettingForm::Text},
    {"Server", "CloudServer", "http://127.0.0.1:8080", SettingForm::Text},
    {"Server", "UpdateServer", "http://127.0.0.1:8080", SettingForm::Text},
    {"Server", "WebSite", "http://127.0.0.1:8080", SettingForm::Text},
};
const size_t kShippedSettingsCount = std::size(kShippedSettings);

namespace {
bool SameName(std::string_view a, std::string_view b) {
  return AsciiLower(a) == AsciiLower(b);
}
}  // namespace

std::string ShippedSetting(std::string_view section, std::string_view key) {
  for (const auto& s : kShippedSettings) {
    if (SameName(s.section, section) && SameName(s.key, key)) return s.value;
  }
  return "";
}

std::string SettingsPath() {
  return GetAppFilePath("Settings.ini");
}

std::string ServerAddress(std::string_view key) {
  std::string value = Settings::Live().Text("Server", key);
  return value.empty() ? ShippedSetting("Server", key) : value;
}

std::optional<int> ParseSettingInteger(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  long long value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < INT_MIN || value > INT_MAX) return std::nullopt;
  return static_cast<int>(value);
}

std::optional<bool> ParseSettingChoice(std::string_view text) {
  const std::string lower = AsciiLower(text);
  if (lower == "true") return true;
  if (lower == "false") return false;
  if (auto n = ParseSettingInteger(text)) return *n != 0;
  return std::nullopt;
}

Settings Settings::Live() {
  return Settings();
}

Settings Settings::Snapshot() {
  Settings s;
  auto doc = IniLoad(SettingsPath());
  s.snapshot_ = doc ? doc->Index() : std::unordered_map<std::string, IniDocument::Section>{};
  return s;
}

std::string Settings::Text(std::string_view section, std::string_view key) const {
  if (!snapshot_) return ReadIniValue(SettingsPath(), std::string(section), std::string(key));
  const auto sec = snapshot_->find(AsciiLower(section));
  if (sec == snapshot_->end()) return "";
  const auto val = sec->second.find(AsciiLower(key));
  return val == sec->second.end() ? "" : ProfileValueFromRaw(val->second);
}

int Settings::SwitchValue(std::string_view section, std::string_view key) const {
  if (auto n = ParseSettingInteger(Text(section, key))) return *n;
  return ParseSettingInteger(ShippedSetting(section, key)).value_or(0);
}

bool Settings::Switch(std::string_view section, std::string_view key) const {
  return SwitchValue(section, key) == 1;
}

bool Settings::Choice(std::string_view section, std::string_view key) const {
  if (auto b = ParseSettingChoice(Text(section, key))) return *b;
  return ParseSettingChoice(ShippedSetting(section, key)).value_or(false);
}

int Settings::Number(std::string_view section, std::string_view key) const {
  return SwitchValue(section, key);
}

}  // namespace zq
