#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/Ini.h"

namespace zq {

// One key of Settings.ini with the value the installation ships. The table
// is the single place that knows these values: a switch, choice or number
// that is missing or malformed in the user's file reads as its shipped value,
// and data/Settings.ini is checked against it by the tests.
enum class SettingForm { Switch, Choice, Number, Text };
struct SettingDefault {
  const char* section;
  const char* key;
  const char* value;
  SettingForm form;
};
extern const SettingDefault kShippedSettings[];
extern const size_t kShippedSettingsCount;

// The shipped value of a key ("" for a key outside the table).
std::string ShippedSetting(std::string_view section, std::string_view key);

std::string SettingsPath();

// Base address of a peer in [Server] (CloudServer, UpdateServer, WebSite),
// read live; the shipped address when the key is missing or empty.
std::string ServerAddress(std::string_view key);

// Conversions of the four value forms. nullopt when the text is malformed.
std::optional<int> ParseSettingInteger(std::string_view text);
std::optional<bool> ParseSettingChoice(std::string_view text);

// Reads Settings.ini either live (every read goes to the file, as the program
// does everywhere) or from one snapshot (several keys needed together, such as
// the [Scan] keys read for every scanned file).
class Settings {
 public:
  static Settings Live();
  static Settings Snapshot();

  std::string Text(std::string_view section, std::string_view key) const;
  // Switch as its integer ("2" stays 2, so a dialog can show it greyed).
  int SwitchValue(std::string_view section, std::string_view key) const;
  // Switch compared with 1.
  bool Switch(std::string_view section, std::string_view key) const;
  bool Choice(std::string_view section, std::string_view key) const;
  int Number(std::string_view section, std::string_view key) const;

 private:
  Settings() = default;
  std::optional<std::unordered_map<std::string, IniDocument::Section>> snapshot_;
};

}  // namespace zq
