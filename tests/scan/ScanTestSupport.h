#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "scan/Detection.h"
#include "scan/RunState.h"
#include "scan/ScanView.h"
#include "support/TempDir.h"

namespace zq::test {

// A window that records what the scan told it. Every call is also appended
// to `events`, so tests can check the order of rows and questions.
class FakeView : public ScanView {
 public:
  struct Row {
    std::string id, path, name, outcome;
  };
  struct RightClickRow {
    std::string id, path, verdict;
  };

  void SetLabelScanedFileCount(const std::string& text) override { scanned = text; }
  void SetLabelTrojanFileCount(const std::string& text) override { trojans = text; }
  void SetLabelTimeUsed(const std::string& text) override { timeUsed = text; }
  void SetLabelNowScaning(const std::string& text) override {
    nowScanning = text;
    nowScanningHistory.push_back(text);
  }

  int ResultRowCount() const override { return static_cast<int>(rows.size()); }
  void AddResultRow(const std::string& id, const std::string& path, const std::string& name,
                    const std::string& outcome) override {
    rows.push_back({id, path, name, outcome});
    events.push_back("row " + path + " " + outcome);
  }

  AlertChoice AskAlert(const std::string& path, const std::string& name) override {
    alerts.push_back(path + "|" + name);
    events.push_back("alert " + path);
    if (onAlert) onAlert();
    if (answers.empty()) return AlertChoice::Ignore;
    const AlertChoice answer = answers.front();
    answers.pop_front();
    return answer;
  }

  int RightClickRowCount() const override { return static_cast<int>(rightClickRows.size()); }
  void AddRightClickRow(const std::string& id, const std::string& path, const std::string& verdict) override {
    rightClickRows.push_back({id, path, verdict});
    events.push_back("rightclick " + path + " " + verdict);
  }

  std::string scanned, trojans, timeUsed, nowScanning;
  std::vector<std::string> nowScanningHistory;
  std::vector<Row> rows;
  std::vector<RightClickRow> rightClickRows;
  std::vector<std::string> alerts;
  std::deque<AlertChoice> answers;
  std::function<void()> onAlert;
  std::vector<std::string> events;
};

// A temporary program folder with signature files, a folder tree to scan, and
// one scanner's state lent to the logic.
class ScanFixture {
 public:
  ScanFixture();

  // Writes a PE32 file whose section ".virus" carries `marker` and lists that
  // section in the signature files under `name`; the database is reloaded.
  std::string WriteVirus(const std::string& relative, const std::string& name = "Trojan.Test",
                         const std::string& marker = "");
  // A PE32 file none of whose sections is listed.
  std::string WriteCleanPe(const std::string& relative);
  // Settings.ini [Scan] with the five keys as True/False.
  void WriteScanSettings(const ScanSettings& settings) const;

  TempProgramFolder home;
  TempDir tree;
  RunState run;
  FolderQueue folders;
  FakeView view;
  ScanContext context{run, view, folders};

 private:
  int viruses_ = 0;
};

}  // namespace zq::test
