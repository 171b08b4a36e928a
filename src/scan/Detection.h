#pragma once

#include <functional>
#include <string>

#include "scan/RunState.h"
#include "scan/ScanView.h"

namespace zq {

// The [Scan] keys of Settings.ini that a scan reads for every file.
struct ScanSettings {
  bool ScanAllFiles = false;
  bool ClearVirus = false;
  bool AlertVirus = false;
  bool IgnoreVirus = false;
  bool QuarantineVirus = false;
};

// The five keys from one read of Settings.ini.
ScanSettings ReadScanSettings();

// What one scanner works on: the run's state and queue, its window, and where
// the settings come from (Settings.ini, read anew for every file, unless a
// caller such as zqscan fixes them).
struct ScanContext {
  RunState& run;
  ScanView& view;
  FolderQueue& folders;
  std::function<ScanSettings()> readSettings = ReadScanSettings;
};

// Outcome texts of the result list.
inline constexpr const char* kOutcomeIgnored = "未清除";
inline constexpr const char* kOutcomeCleared = "已清除";
inline constexpr const char* kOutcomeClearFailed = "清除失败";
inline constexpr const char* kOutcomeQuarantined = "已隔离";
inline constexpr const char* kOutcomeQuarantineFailed = "隔离失败";

// Adds a row at the end of the result list, numbered after the rows before it.
void AddResultRow(ScanView& view, const std::string& path, const std::string& name,
                  const std::string& outcome);

// What each alert button does: act on the file and list exactly one row.
void ApplyAlertChoice(ScanView& view, const std::string& path, const std::string& name, AlertChoice choice);

// Acts on one detection as the settings say. The four tests are independent,
// in this order: ignore, clear, quarantine, ask.
void HandleDetection(ScanView& view, const std::string& path, const std::string& name,
                     const ScanSettings& settings);

// Counts an examined file and shows the count, the time used and the path.
void ShowExaminedFile(ScanContext& context, const std::string& path);

// A detection found by any scanner: counted, shown and handled.
void RecordDetection(ScanContext& context, const std::string& path, const std::string& name,
                     const ScanSettings& settings);

// The settings of the context, read once for one file.
ScanSettings SettingsForFile(const ScanContext& context);

// One file outside a folder walk (a dropped file, a context-menu file): every
// file handed in is examined. Returns the virus name, "" when clean.
std::string ScanOneFile(ScanContext& context, const std::string& path);

}  // namespace zq
