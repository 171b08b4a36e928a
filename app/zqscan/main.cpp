// zqscan: the scanning core on the command line, without a window.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ConsoleView.h"
#include "engine/SignatureDb.h"
#include "platform/BinaryFile.h"
#include "platform/Directory.h"
#include "platform/FileOps.h"
#include "platform/Interrupt.h"
#include "platform/ProgramFolder.h"
#include "platform/Yield.h"
#include "scan/Detection.h"
#include "scan/FolderScan.h"
#include "scan/RunState.h"
#include "scan/ScanText.h"
#include "storage/Profile.h"

namespace {

constexpr int kExitClean = 0;
constexpr int kExitFound = 1;
constexpr int kExitError = 2;

constexpr const char* kUsage =
    "usage: zqscan [--home DIR] [--all-files] [--action list|delete|quarantine] PATH...\n"
    "  --home DIR     program folder (signature files, Settings.ini, Quarantine.ini,\n"
    "                 quarantine/); by default the folder of zqscan\n"
    "  --all-files    examine every file of a folder, not only .dll .exe .com .ocx .scr\n"
    "  --action A     what to do with a detection: list (default, nothing changes),\n"
    "                 delete, or quarantine\n"
    "Files named here are examined whatever their extension. Exit status: 0 nothing\n"
    "found, 1 something found, 2 an error (and nothing found).\n";

enum class Action { List, Delete, Quarantine };

struct Options {
  std::string home;
  bool allFiles = false;
  Action action = Action::List;
  std::vector<std::string> paths;
};

bool ParseArguments(int argc, char** argv, Options& options, std::string& error) {
  bool onlyPaths = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (onlyPaths || arg.empty() || arg[0] != '-' || arg == "-") {
      options.paths.push_back(arg);
    } else if (arg == "--") {
      onlyPaths = true;
    } else if (arg == "--all-files") {
      options.allFiles = true;
    } else if (arg == "--home" || arg == "--action") {
      if (i + 1 == argc) {
        error = arg + " needs a value";
        return false;
      }
      const std::string value = argv[++i];
      if (arg == "--home") {
        if (value.empty()) {
          error = "--home needs a folder";
          return false;
        }
        options.home = value;
      } else if (value == "list") {
        options.action = Action::List;
      } else if (value == "delete") {
        options.action = Action::Delete;
      } else if (value == "quarantine") {
        options.action = Action::Quarantine;
      } else {
        error = "unknown action '" + value + "' (list, delete or quarantine)";
        return false;
      }
    } else {
      error = "unknown option '" + arg + "'";
      return false;
    }
  }
  if (options.paths.empty()) {
    error = "nothing to scan";
    return false;
  }
  return true;
}

// True when at least one signature file holds a record; an empty database
// could never find anything, which is an error for a scanner.
bool HasSignatures() {
  for (int bucket = 0; bucket < zq::kSignatureBucketCount; ++bucket) {
    const auto file = zq::BinaryFile::Open(zq::GetAppFilePath(zq::SignatureFileName(bucket)));
    if (file && file->Size() > 0) return true;
  }
  return false;
}

// The scan settings zqscan fixes from its options instead of Settings.ini.
zq::ScanSettings SettingsFor(const Options& options) {
  zq::ScanSettings s;
  s.ScanAllFiles = options.allFiles;
  s.IgnoreVirus = options.action == Action::List;
  s.ClearVirus = options.action == Action::Delete;
  s.QuarantineVirus = options.action == Action::Quarantine;
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  std::string error;
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return kExitClean;
  }
  if (!ParseArguments(argc, argv, options, error)) {
    std::fprintf(stderr, "zqscan: %s\n%s", error.c_str(), kUsage);
    return kExitError;
  }
  if (!options.home.empty()) {
    if (zq::TargetKind(options.home) != zq::EntryKind::Directory) {
      std::fprintf(stderr, "zqscan: %s: not a folder\n", options.home.c_str());
      return kExitError;
    }
    // Quarantine.ini must hold full paths whatever the working folder was.
    zq::SetProgramFolder(zq::AbsolutePath(options.home));
  }
  if (!HasSignatures()) {
    std::fprintf(stderr, "zqscan: no signature files in %s\n", zq::ProgramFolder().c_str());
    return kExitError;
  }
  zq::LoadSignatures();

  const auto started = std::chrono::steady_clock::now();
  zq::RunState run;
  zq::FolderQueue folders;
  zq::ConsoleView view(stdout, options.action != Action::List);
  const zq::ScanSettings settings = SettingsFor(options);
  zq::ScanContext context{run, view, folders, [&settings] { return settings; }};
  zq::ResetRunState(run);

  // Ctrl-C is our Stop button: seen at the next yield, before the next entry.
  zq::CatchFirstInterrupt();
  zq::SetYieldHandler([&run] {
    if (zq::InterruptCaught()) run.StopRequested = true;
  });

  bool failed = false;
  for (const auto& path : options.paths) {
    zq::Yield();
    if (run.StopRequested) break;
    switch (zq::TargetKind(path)) {
      case zq::EntryKind::Directory:
        folders.push_back(zq::WithTrailingSeparator(path));
        while (!folders.empty()) {
          zq::Yield();
          zq::OleScanFolder(context, folders.front());
          folders.pop_front();
          if (run.StopRequested) break;
        }
        break;
      case zq::EntryKind::Regular:
        zq::ScanOneFile(context, path);
        break;
      case zq::EntryKind::Missing:
        std::fprintf(stderr, "zqscan: %s: no such file or folder\n", zq::PrintablePath(path).c_str());
        failed = true;
        break;
      default:
        std::fprintf(stderr, "zqscan: %s: not a regular file or folder\n", zq::PrintablePath(path).c_str());
        failed = true;
        break;
    }
  }

  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("\nScanned files: %lld\nInfected files: %lld\nTime: %.3f s\n",
              static_cast<long long>(run.ScannedCount), static_cast<long long>(run.VirusCount), seconds);
  if (run.VirusCount > 0) return kExitFound;
  return failed ? kExitError : kExitClean;
}
