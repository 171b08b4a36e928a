#include "scan/FolderScan.h"

#include "engine/PeCheck.h"
#include "platform/Directory.h"
#include "platform/Yield.h"
#include "scan/ScanText.h"

namespace zq {
namespace {

enum class Listing { ScanResultOnly, RightClickToo };

std::string ExamineWalkedFile(ScanContext& context, const std::string& path, Listing listing) {
  const ScanSettings settings = SettingsForFile(context);
  if (!settings.ScanAllFiles && !HasExecutableExtension(path)) return "";
  ShowExaminedFile(context, path);
  const std::string name = CheckPeFile(path);
  if (listing == Listing::RightClickToo) {
    ScanView& view = context.view;
    view.AddRightClickRow(std::to_string(view.RightClickRowCount() + 1), path, RightClickVerdict(name));
    Yield();
  }
  if (!name.empty()) RecordDetection(context, path, name, settings);
  return name;
}

// `folder` is taken by value: callers pass the queue's front entry, which a
// handler run from a yield (another scan run) may remove from the queue.
void Walk(ScanContext& context, const std::string folder, Listing listing) {
  DirectoryListing entries(folder);
  // Kernel interfaces are no files to scan: reading some of them blocks or
  // consumes data (a walk of "/" would otherwise reach /proc and /sys).
  if (!entries.IsOpen() || entries.OnPseudoFileSystem()) return;
  DirectoryEntry entry;
  while (entries.Next(entry)) {
    Yield();
    if (context.run.StopRequested) return;
    // The listing gives exact names, so they are taken as they are: trimming
    // blanks would name another file, or none, and hide this one.
    switch (entry.kind) {
      case EntryKind::Directory:
        if (!entry.name.empty() && entry.name.front() != '.') {
          context.folders.push_back(WithTrailingSeparator(folder + entry.name));
        }
        break;
      case EntryKind::Regular:
        ExamineWalkedFile(context, CollapseSeparators(folder + entry.name), listing);
        break;
      default:
        // Links are not followed (no loops, no acting on a file elsewhere
        // through its link), and FIFOs or devices would block or never end.
        break;
    }
  }
}

}  // namespace

void ScanFolder(ScanContext& context, const std::string& folder) {
  Walk(context, folder, Listing::ScanResultOnly);
}

void OleScanFolder(ScanContext& context, const std::string& folder) {
  Walk(context, folder, Listing::ScanResultOnly);
}

void RightClickScanFolder(ScanContext& context, const std::string& folder) {
  Walk(context, folder, Listing::RightClickToo);
}

std::string ScanWalkedFile(ScanContext& context, const std::string& path) {
  return ExamineWalkedFile(context, path, Listing::ScanResultOnly);
}

}  // namespace zq
