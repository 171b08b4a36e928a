#pragma once

#include <string>

namespace zq {

// What the user chose in the virus alert. Closing the alert counts as Ignore.
enum class AlertChoice { Clear, Ignore, Quarantine };

// The window side of a scan: the scan-state labels, the result lists and the
// alert question. The main window implements it; tests and zqscan fake it.
class ScanView {
 public:
  virtual ~ScanView() = default;

  // The scan-state panel.
  virtual void SetLabelScanedFileCount(const std::string& text) = 0;
  virtual void SetLabelTrojanFileCount(const std::string& text) = 0;
  virtual void SetLabelTimeUsed(const std::string& text) = 0;
  virtual void SetLabelNowScaning(const std::string& text) = 0;

  // ListViewScanResult: ID, 文件, 病毒名称, 处理结果.
  virtual int ResultRowCount() const = 0;
  virtual void AddResultRow(const std::string& id, const std::string& path, const std::string& name,
                            const std::string& outcome) = 0;

  // The alert dialog, shown modally with the main window brought to the
  // front first. Returns the button the user pressed.
  virtual AlertChoice AskAlert(const std::string& path, const std::string& name) = 0;

  // The context-menu result window's list: ID, 文件, 扫描结果.
  virtual int RightClickRowCount() const = 0;
  virtual void AddRightClickRow(const std::string& id, const std::string& path,
                                const std::string& verdict) = 0;
};

}  // namespace zq
