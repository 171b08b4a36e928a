// The folder walk over a small tree: fixed settings (zqscan) against the
// program's one read of Settings.ini per file.
#include <benchmark/benchmark.h>

#include <random>

#include "engine/SignatureDb.h"
#include "platform/Ini.h"
#include "platform/ProgramFolder.h"
#include "scan/FolderScan.h"
#include "storage/Settings.h"
#include "support/PeBuilder.h"
#include "support/SignatureWriter.h"
#include "support/TempDir.h"

namespace zq {
namespace {

class NullView : public ScanView {
 public:
  void SetLabelScanedFileCount(const std::string&) override {}
  void SetLabelTrojanFileCount(const std::string&) override {}
  void SetLabelTimeUsed(const std::string&) override {}
  void SetLabelNowScaning(const std::string&) override {}
  int ResultRowCount() const override { return 0; }
  void AddResultRow(const std::string&, const std::string&, const std::string&, const std::string&) override {
  }
  AlertChoice AskAlert(const std::string&, const std::string&) override { return AlertChoice::Ignore; }
  int RightClickRowCount() const override { return 0; }
  void AddRightClickRow(const std::string&, const std::string&, const std::string&) override {}
};

constexpr int kFiles = 2000;

// 2,000 files in 20 folders, one in ten a PE32 file of three sections.
struct Tree {
  Tree() {
    std::mt19937 rng(7);
    for (int i = 0; i < kFiles; ++i) {
      const std::string name = "d" + std::to_string(i % 20) + "/f" + std::to_string(i);
      if (i % 10 == 0) {
        test::PeBuilder pe;
        for (int s = 0; s < 3; ++s)
          pe.AddSection(".s" + std::to_string(s), std::string(512 * (1 + rng() % 8), char(i)));
        files.Write(name + ".exe", pe.Build());
      } else {
        files.Write(name + ".dat", std::string(1024 + rng() % 8192, 'x'));
      }
    }
    test::SignatureWriter(home.path()).CreateAll();
    test::SignatureWriter(home.path()).Add("0123456789ABCDEF0123456789ABCDEF", "Never.Matched");
    SetProgramFolder(home.path());
    LoadSignatures(home.path());
    IniWriteValue(SettingsPath(), "Scan", "ScanAllFiles", "True");
    IniWriteValue(SettingsPath(), "Scan", "IgnoreVirus", "True");
    IniWriteValue(SettingsPath(), "Scan", "AlertVirus", "False");
  }
  test::TempDir home;
  test::TempDir files;
};

Tree& SharedTree() {
  static Tree tree;
  return tree;
}

void Walk(benchmark::State& state, bool settingsFromFile) {
  Tree& tree = SharedTree();
  NullView view;
  for (auto _ : state) {
    RunState run;
    FolderQueue folders{tree.files.path() + "/"};
    ScanContext context{run, view, folders};
    if (!settingsFromFile)
      context.readSettings = [] { return ScanSettings{.ScanAllFiles = true, .IgnoreVirus = true}; };
    while (!folders.empty()) {
      ScanFolder(context, folders.front());
      folders.pop_front();
    }
    if (run.ScannedCount != kFiles) state.SkipWithError("not every file was examined");
  }
  state.SetItemsProcessed(state.iterations() * kFiles);
}

void BM_WalkFixedSettings(benchmark::State& state) {
  Walk(state, false);
}
void BM_WalkSettingsReadPerFile(benchmark::State& state) {
  Walk(state, true);
}
BENCHMARK(BM_WalkFixedSettings)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WalkSettingsReadPerFile)->Unit(benchmark::kMillisecond);

void BM_ReadScanSettings(benchmark::State& state) {
  SharedTree();
  for (auto _ : state) benchmark::DoNotOptimize(ReadScanSettings());
}
BENCHMARK(BM_ReadScanSettings);

}  // namespace
}  // namespace zq

BENCHMARK_MAIN();
