#include "scan/Detection.h"

#include "engine/PeCheck.h"
#include "platform/Clock.h"
#include "platform/Directory.h"
#include "platform/FileOps.h"
#include "scan/Quarantine.h"
#include "scan/ScanText.h"
#include "storage/Settings.h"

namespace zq {
namespace {

// Deleting a symbolic link would leave the infected file it leads to in place
// while the row said it was gone, so a link is never "cleared".
bool ClearPath(const std::string& path) {
  return PathKind(path) != EntryKind::Symlink && RemoveFile(path);
}

void ClearFile(ScanView& view, const std::string& path, const std::string& name) {
  AddResultRow(view, path, name, ClearPath(path) ? kOutcomeCleared : kOutcomeClearFailed);
}

void QuarantineFile(ScanView& view, const std::string& path, const std::string& name) {
  AddResultRow(view, path, name, MoveToQuarantine(path) ? kOutcomeQuarantined : kOutcomeQuarantineFailed);
}

}  // namespace

ScanSettings ReadScanSettings() {
  const Settings settings = Settings::Snapshot();
  ScanSettings s;
  s.ScanAllFiles = settings.Choice("Scan", "ScanAllFiles");
  s.ClearVirus = settings.Choice("Scan", "ClearVirus");
  s.AlertVirus = settings.Choice("Scan", "AlertVirus");
  s.IgnoreVirus = settings.Choice("Scan", "IgnoreVirus");
  s.QuarantineVirus = settings.Choice("Scan", "QuarantineVirus");
  return s;
}

void AddResultRow(ScanView& view, const std::string& path, const std::string& name,
                  const std::string& outcome) {
  view.AddResultRow(std::to_string(view.ResultRowCount() + 1), path, name, outcome);
}

void ApplyAlertChoice(ScanView& view, const std::string& path, const std::string& name, AlertChoice choice) {
  switch (choice) {
    case AlertChoice::Clear:
      ClearFile(view, path, name);
      return;
    case AlertChoice::Quarantine:
      QuarantineFile(view, path, name);
      return;
    case AlertChoice::Ignore:
      AddResultRow(view, path, name, kOutcomeIgnored);
      return;
  }
}

void HandleDetection(ScanView& view, const std::string& path, const std::string& name,
                     const ScanSettings& settings) {
  if (settings.IgnoreVirus) AddResultRow(view, path, name, kOutcomeIgnored);
  if (settings.ClearVirus) ClearFile(view, path, name);
  if (settings.QuarantineVirus) QuarantineFile(view, path, name);
  // The dialog's answer is acted on here, once, so however the dialog was
  // closed the detection gets exactly one row.
  if (settings.AlertVirus) ApplyAlertChoice(view, path, name, view.AskAlert(path, name));
}

void ShowExaminedFile(ScanContext& context, const std::string& path) {
  ++context.run.ScannedCount;
  context.view.SetLabelScanedFileCount(std::to_string(context.run.ScannedCount));
  context.view.SetLabelTimeUsed(FormatTimeUsed(ClockSeconds() - context.run.ScanStartTime));
  context.view.SetLabelNowScaning(ShortenForLabel(path));
}

ScanSettings SettingsForFile(const ScanContext& context) {
  return context.readSettings ? context.readSettings() : ReadScanSettings();
}

void RecordDetection(ScanContext& context, const std::string& path, const std::string& name,
                     const ScanSettings& settings) {
  ++context.run.VirusCount;
  context.view.SetLabelTrojanFileCount(std::to_string(context.run.VirusCount));
  HandleDetection(context.view, path, name, settings);
}

std::string ScanOneFile(ScanContext& context, const std::string& path) {
  const ScanSettings settings = SettingsForFile(context);
  ShowExaminedFile(context, path);
  const std::string name = CheckPeFile(path);
  if (!name.empty()) RecordDetection(context, path, name, settings);
  return name;
}

}  // namespace zq
