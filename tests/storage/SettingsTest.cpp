#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <ostream>
#include <set>
#include <string>

#include "platform/Ini.h"
#include "storage/Profile.h"
#include "storage/Settings.h"
#include "support/TempDir.h"

namespace zq {
namespace {

std::string DataFile(const std::string& name) {
  const char* source = std::getenv("ZQ_SOURCE_DIR");
  return std::string(source ? source : ".") + "/data/" + name;
}

bool IsValueOfForm(const std::string& value, SettingForm form) {
  switch (form) {
    case SettingForm::Switch:
      return value == "0" || value == "1";
    case SettingForm::Choice:
      return value == "True" || value == "False";
    case SettingForm::Number:
      return !value.empty() && value.find_first_not_of("0123456789") == std::string::npos;
    case SettingForm::Text:
      return true;
  }
  return false;
}

// The installation's Settings.ini must hold every key with a value of its
// form, because the program writes none of them at start-up; and it must
// agree with the table that stands in for a malformed value.
TEST(ShippedSettings, FileIsCompleteAndMatchesTheTable) {
  const auto doc = IniLoad(DataFile("Settings.ini"));
  ASSERT_TRUE(doc) << DataFile("Settings.ini");
  std::set<std::string> inTable;
  for (size_t i = 0; i < kShippedSettingsCount; ++i) {
    const auto& s = kShippedSettings[i];
    SCOPED_TRACE(std::string(s.section) + "/" + s.key);
    inTable.insert(AsciiLower(std::string(s.section) + "/" + s.key));
    const auto value = doc->Get(s.section, s.key);
    ASSERT_TRUE(value.has_value()) << "missing from data/Settings.ini";
    EXPECT_EQ(*value, s.value);
    EXPECT_TRUE(IsValueOfForm(*value, s.form)) << *value;
    EXPECT_EQ(ShippedSetting(s.section, s.key), s.value);
  }
  for (const auto& section : doc->Sections()) {
    for (const auto& key : doc->Keys(section)) {
      EXPECT_TRUE(inTable.count(AsciiLower(section + "/" + key)))
          << section << "/" << key << " not in the table";
    }
  }
}

TEST(ShippedSettings, EveryChoiceGroupHasExactlyOneOn) {
  const std::vector<std::vector<std::pair<const char*, const char*>>> groups = {
      {{"Scan", "ScanAllFiles"}, {"Scan", "ScanPeFiles"}},
      {{"Scan", "ClearVirus"}, {"Scan", "AlertVirus"}, {"Scan", "IgnoreVirus"}, {"Scan", "QuarantineVirus"}},
      {{"Shield", "NormalLevel"}, {"Shield", "HighLevel"}},
  };
  for (const auto& group : groups) {
    int on = 0;
    for (const auto& [section, key] : group) on += ShippedSetting(section, key) == "True";
    EXPECT_EQ(on, 1) << group.front().first << "/" << group.front().second;
  }
  EXPECT_EQ(ShippedSetting("Normal", "Skin"), "经典蓝");
  // Numbers are among what the settings dialog's drop-down boxes offer.
  EXPECT_TRUE((std::set<std::string>{"3", "5", "10", "15"}.count(
      ShippedSetting("Shield", "AutoCloseAlertMessageInterval"))));
  EXPECT_TRUE((std::set<std::string>{"1", "3", "5"}.count(ShippedSetting("Update", "AutoUpdateIntervel"))));
}

TEST(ShippedSettings, OtherTemplateFiles) {
  EXPECT_EQ(IniReadValue(DataFile("RCS.ini"), "Normal", "WRFlag"), "0");
  EXPECT_EQ(IniReadValue(DataFile("RCS.ini"), "Normal", "RC"), "0");
  const auto whole = IniReadValue(DataFile("Version.ini"), "Version", "WholeVersion");
  ASSERT_TRUE(whole);
  EXPECT_TRUE(ParseSettingInteger(*whole).has_value()) << *whole;
  EXPECT_FALSE(IniReadValue(DataFile("Version.ini"), "Version", "SoftwareVersion").value_or("").empty());
  EXPECT_FALSE(IniReadValue(DataFile("Version.ini"), "Version", "SignatureVersion").value_or("").empty());
}

struct FormCase {
  const char* name;
  const char* section;
  const char* key;
  std::optional<std::string> stored;  // nullopt: key absent
  int expected;                       // switch and number: the integer; choice: 0 or 1
};
void PrintTo(const FormCase& c, std::ostream* os) {
  *os << c.name;
}

// What each form reads as, including values a hand edit broke: a malformed
// switch, choice or number reads as the value the installation ships.
class SettingForms : public testing::TestWithParam<FormCase> {};

TEST_P(SettingForms, ReadLiveAndFromASnapshot) {
  const FormCase& c = GetParam();
  test::TempProgramFolder folder;
  folder.Write("Settings.ini", "[Other]\r\nX=1\r\n");
  if (c.stored) {
    ASSERT_TRUE(WriteIniValue(SettingsPath(), c.section, c.key, *c.stored));
  }
  SettingForm form = SettingForm::Text;
  for (size_t i = 0; i < kShippedSettingsCount; ++i) {
    if (kShippedSettings[i].key == std::string(c.key)) form = kShippedSettings[i].form;
  }
  for (const Settings& settings : {Settings::Live(), Settings::Snapshot()}) {
    switch (form) {
      case SettingForm::Switch:
        EXPECT_EQ(settings.SwitchValue(c.section, c.key), c.expected);
        EXPECT_EQ(settings.Switch(c.section, c.key), c.expected == 1);
        break;
      case SettingForm::Choice:
        EXPECT_EQ(settings.Choice(c.section, c.key), c.expected != 0);
        break;
      case SettingForm::Number:
        EXPECT_EQ(settings.Number(c.section, c.key), c.expected);
        break;
      case SettingForm::Text:
        FAIL() << "not a converted form";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, SettingForms,
                         testing::Values(
                             // Switches: exactly 1 is on; "2" stays 2 (a greyed check box) and is off.
                             FormCase{"SwitchOn", "Scan", "CheckLowCPU", "1", 1},
                             FormCase{"SwitchOff", "Scan", "CheckLowCPU", "0", 0},
                             FormCase{"SwitchTwo", "Normal", "AutoRun", "2", 2},
                             FormCase{"SwitchSpaced", "Normal", "AutoRun", " 1 ", 1},
                             FormCase{"SwitchMissing", "Scan", "CheckLowCPU", std::nullopt, 1},
                             FormCase{"SwitchEmpty", "Scan", "CheckLowCPU", "", 1},
                             FormCase{"SwitchWord", "Scan", "CheckLowCPU", "yes", 1},
                             FormCase{"SwitchFraction", "Shield", "EnableAlertMessage", "0.5", 1},
                             FormCase{"SwitchTooLarge", "Normal", "AutoRun", "99999999999", 0},
                             FormCase{"SwitchNegative", "Normal", "AutoRun", "-1", -1},
                             // Choices: the two words, any case; numbers too (0 false, else true).
                             FormCase{"ChoiceTrue", "Scan", "ClearVirus", "True", 1},
                             FormCase{"ChoiceFalse", "Scan", "AlertVirus", "False", 0},
                             FormCase{"ChoiceLower", "Scan", "ClearVirus", "true", 1},
                             FormCase{"ChoiceOne", "Scan", "ClearVirus", "1", 1},
                             FormCase{"ChoiceZero", "Scan", "AlertVirus", "0", 0},
                             FormCase{"ChoiceOtherNumber", "Scan", "ClearVirus", "-3", 1},
                             FormCase{"ChoiceMissing", "Scan", "AlertVirus", std::nullopt, 1},
                             FormCase{"ChoiceEmpty", "Shield", "HighLevel", "", 0},
                             FormCase{"ChoiceGarbage", "Shield", "NormalLevel", "Ja", 1},
                             // Numbers.
                             FormCase{"Number", "Shield", "AutoCloseAlertMessageInterval", "10", 10},
                             FormCase{"NumberMissing", "Shield", "AutoCloseAlertMessageInterval",
                                      std::nullopt, 5},
                             FormCase{"NumberGarbage", "Update", "AutoUpdateIntervel", "three", 3},
                             FormCase{"NumberTrailing", "Update", "AutoUpdateIntervel", "5h", 3}),
                         [](const testing::TestParamInfo<FormCase>& info) { return info.param.name; });

TEST(Settings, LiveSeesEveryWriteSnapshotDoesNot) {
  test::TempProgramFolder folder;
  ASSERT_TRUE(WriteIniValue(SettingsPath(), "Scan", "ScanAllFiles", "False"));
  const auto snapshot = Settings::Snapshot();
  const auto live = Settings::Live();
  ASSERT_TRUE(WriteIniValue(SettingsPath(), "Scan", "ScanAllFiles", "True"));
  EXPECT_TRUE(live.Choice("Scan", "ScanAllFiles"));
  EXPECT_FALSE(snapshot.Choice("Scan", "ScanAllFiles"));
  EXPECT_TRUE(Settings::Snapshot().Choice("Scan", "ScanAllFiles"));
}

TEST(Settings, TextIsUsedWithoutConversion) {
  test::TempProgramFolder folder;
  folder.Write("Settings.ini", "[Normal]\r\nSkin=  经典蓝  \r\n[History]\r\nLastScanFiles=\r\n");
  for (const Settings& settings : {Settings::Live(), Settings::Snapshot()}) {
    EXPECT_EQ(settings.Text("normal", "skin"), "经典蓝");
    EXPECT_EQ(settings.Text("History", "LastScanFiles"), "");
    EXPECT_EQ(settings.Text("History", "LastDetectedSpywares"), "");  // missing text stays empty
  }
}

TEST(Settings, MissingFileReadsShippedConvertedValues) {
  test::TempProgramFolder folder;
  EXPECT_TRUE(Settings::Live().Switch("Scan", "CheckLowCPU"));
  EXPECT_TRUE(Settings::Snapshot().Choice("Scan", "AlertVirus"));
  EXPECT_EQ(Settings::Live().Number("Update", "AutoUpdateIntervel"), 3);
  EXPECT_EQ(Settings::Live().Text("Normal", "Skin"), "");
  EXPECT_EQ(SettingsPath(), folder.Path("Settings.ini"));
}

TEST(Settings, ServerAddressFallsBackToShipped) {
  test::TempProgramFolder folder;
  EXPECT_EQ(ServerAddress("CloudServer"), "http://127.0.0.1:8080");
  folder.Write("Settings.ini", "[Server]\r\nCloudServer=http://127.0.0.1:9001\r\nUpdateServer=\r\n");
  EXPECT_EQ(ServerAddress("CloudServer"), "http://127.0.0.1:9001");
  EXPECT_EQ(ServerAddress("UpdateServer"), "http://127.0.0.1:8080");
}

}  // namespace
}  // namespace zq
