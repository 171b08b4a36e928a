#include "ui/SkinTable.h"

#include <algorithm>

namespace zq {
namespace {

SkinImageArray ExitImages() {
  return {"ImageExit", {"Exit0.bmp", "Exit1.bmp", "Exit2.bmp"}};
}

std::vector<SkinWindowEntry> BuildTable() {
  return {
      {"FormScan",
       "Scan.bmp",
       {ExitImages(),
        {"ImageMin", {"Min0.bmp", "Min1.bmp", "Min2.bmp"}},
        {"ImageSkin", {"Skin0.bmp", "Skin1.bmp", "Skin2.bmp"}},
        {"ImageMemoryScan", {"QuickScan0.bmp", "QuickScan1.bmp"}},
        {"ImageFullDiskScan", {"FullScan0.bmp", "FullScan1.bmp"}},
        {"ImageCustomerScan", {"CustomerScan0.bmp", "CustomerScan1.bmp"}},
        {"ImageSecurityState", {"SecurityState0.bmp", "SecurityState1.bmp"}},
        {"ImageScanResult", {"ScanResult0.bmp", "ScanResult1.bmp"}},
        {"ImageShield", {"Shield0.bmp", "Shield1.bmp"}},
        {"ImageSoftware", {"Software0.bmp", "Software1.bmp"}},
        {"ImageHelp", {"Help.bmp"}},
        {"ImageUpdate", {"Update.bmp"}},
        {"ImageSetting", {"Setting.bmp"}},
        {"ImageHomePage", {"HomePage.bmp"}}}},
      {"FormVevezoRezezad", "VevezoRezezad.bmp", {}},
      {"FormSetting",
       "Setting2.bmp",
       {ExitImages(),
        {"ImageGeneral", {"GeneralSetting0.bmp", "GeneralSetting1.bmp"}},
        {"ImageScan", {"ScanSetting0.bmp", "ScanSetting1.bmp"}},
        {"ImageShield", {"ShieldSetting0.bmp", "ShieldSetting1.bmp"}},
        {"ImageUpdate", {"UpdateSetting0.bmp", "UpdateSetting1.bmp"}}}},
      {"FormUpdate", "Update2.bmp", {ExitImages()}},
      {"FormAlertVirus", "AlertVirus.bmp", {ExitImages()}},
      {"FormAlertMessage", "VevezoRezezad.bmp", {ExitImages()}},
      {"FormSelectFolders", "SelectFolders.bmp", {ExitImages()}},
      {"FormScanFinish", "ScanResult.bmp", {ExitImages()}},
      {"FormBlackAndWhiteList", "BlackAndWhiteList.bmp", {ExitImages()}},
      {"FormQuarantine", "Quarantine.bmp", {ExitImages()}},
      {"FormRightClickScanResult", "RightClickScanResult.bmp", {ExitImages()}},
      {"FormSkin", "Skin.bmp", {ExitImages()}},
      {"FormAbout", "About.bmp", {}},
      {"FormSoftware", "software.bmp", {ExitImages()}},
  };
}

}  // namespace

const std::vector<SkinWindowEntry>& SkinTable() {
  static const std::vector<SkinWindowEntry> table = BuildTable();
  return table;
}

const SkinWindowEntry* FindSkinWindow(std::string_view window) {
  for (const auto& entry : SkinTable()) {
    if (window == entry.window) return &entry;
  }
  return nullptr;
}

const std::vector<std::string>& SkinFileNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> out;
    auto add = [&out](const char* name) {
      if (std::find(out.begin(), out.end(), name) == out.end()) out.emplace_back(name);
    };
    for (const auto& entry : SkinTable()) {
      add(entry.background);
      for (const auto& array : entry.arrays) {
        for (const char* file : array.files) add(file);
      }
    }
    return out;
  }();
  return names;
}

const std::vector<const char*>& ReSkinOrder() {
  static const std::vector<const char*> order = {"FormVevezoRezezad", "FormAlertMessage",
                                                 "FormAlertVirus",    "FormBlackAndWhiteList",
                                                 "FormQuarantine",    "FormRightClickScanResult",
                                                 "FormScan",          "FormScanFinish",
                                                 "FormSelectFolders", "FormSetting",
                                                 "FormSkin",          "FormUpdate",
                                                 "FormAbout"};
  return order;
}

}  // namespace zq
