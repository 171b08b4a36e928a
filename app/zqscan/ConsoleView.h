#pragma once

#include <cstdio>
#include <string>

#include "scan/ScanView.h"

namespace zq {

// zqscan's window: one line per detection on stdout, nothing for the labels.
class ConsoleView : public ScanView {
 public:
  // With `showOutcome` the outcome of the action follows " FOUND".
  ConsoleView(std::FILE* out, bool showOutcome) : out_(out), showOutcome_(showOutcome) {}

  void SetLabelScanedFileCount(const std::string&) override {}
  void SetLabelTrojanFileCount(const std::string&) override {}
  void SetLabelTimeUsed(const std::string&) override {}
  void SetLabelNowScaning(const std::string&) override {}

  int ResultRowCount() const override { return rows_; }
  void AddResultRow(const std::string& id, const std::string& path, const std::string& name,
                    const std::string& outcome) override;

  // zqscan never asks: an alert is answered as its close button would.
  AlertChoice AskAlert(const std::string&, const std::string&) override { return AlertChoice::Ignore; }

  int RightClickRowCount() const override { return 0; }
  void AddRightClickRow(const std::string&, const std::string&, const std::string&) override {}

 private:
  std::FILE* out_;
  bool showOutcome_;
  int rows_ = 0;
};

// The text with control characters and backslashes escaped, so a file name
// cannot forge or break an output line.
std::string PrintablePath(const std::string& path);

}  // namespace zq
