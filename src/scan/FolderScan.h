#pragma once

#include <string>

#include "scan/Detection.h"

namespace zq {

// Examines every regular file of one folder and queues its subfolders (not
// those whose name begins with "."); never descends itself. Symbolic links,
// FIFOs, sockets and devices are skipped without being opened. A folder that
// cannot be listed adds nothing. Stops before the next entry once
// StopRequested is set.
void ScanFolder(ScanContext& context, const std::string& folder);

// The walk of the drag-and-drop scan: the same as ScanFolder.
void OleScanFolder(ScanContext& context, const std::string& folder);

// The walk of the context-menu scan: ScanFolder plus, for every examined file,
// a row in the context-menu result list and a yield, right after the check.
void RightClickScanFolder(ScanContext& context, const std::string& folder);

// One file as a folder walk processes it (also the memory scan's modules):
// examined when ScanAllFiles is set or its extension is executable. Returns the
// virus name, "" when clean or not examined.
std::string ScanWalkedFile(ScanContext& context, const std::string& path);

}  // namespace zq
