#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "ScanTestSupport.h"
#include "platform/Yield.h"
#include "scan/FolderScan.h"
#include "scan/ScanText.h"

namespace zq {
namespace {

namespace fs = std::filesystem;

class FolderScanTest : public ::testing::Test, protected test::ScanFixture {
 protected:
  ~FolderScanTest() override { SetYieldHandler({}); }

  std::string Folder() const { return tree.path() + "/"; }

  // The scan run's queue loop, as the full-disk and custom runs drive it.
  void RunQueue(void (*walk)(ScanContext&, const std::string&)) {
    while (!folders.empty()) {
      walk(context, folders.front());
      folders.pop_front();
      if (run.StopRequested) break;
    }
  }

  std::vector<std::string> Examined() const {
    auto paths = view.nowScanningHistory;
    std::sort(paths.begin(), paths.end());
    return paths;
  }
};

TEST_F(FolderScanTest, ExecutableExtensionsSelectFilesUnlessAllFilesAreScanned) {
  WriteCleanPe("SETUP.EXE");
  WriteCleanPe("x.Dll");
  WriteCleanPe(".hidden.exe");
  tree.Write("readme.txt", "text");
  tree.Write("a.exe.bak", "text");
  tree.Write("exe", "text");

  WriteScanSettings({.IgnoreVirus = true});
  ScanFolder(context, Folder());
  EXPECT_EQ(Examined(),
            (std::vector<std::string>{Folder() + ".hidden.exe", Folder() + "SETUP.EXE", Folder() + "x.Dll"}));
  EXPECT_EQ(run.ScannedCount, 3);
  EXPECT_EQ(view.scanned, "3");

  view.nowScanningHistory.clear();
  WriteScanSettings({.ScanAllFiles = true, .IgnoreVirus = true});
  ScanFolder(context, Folder());
  EXPECT_EQ(Examined().size(), 6u);
  EXPECT_EQ(run.ScannedCount, 9);
}

TEST_F(FolderScanTest, SubfoldersAreQueuedNotEnteredAndDotFoldersNever) {
  WriteScanSettings({.ScanAllFiles = true, .IgnoreVirus = true});
  WriteVirus("sub/deeper/v.exe");
  tree.Write(".cache/v.exe", "hidden folder");
  tree.Write("top.txt", "text");

  ScanFolder(context, Folder());
  EXPECT_EQ(folders, FolderQueue{Folder() + "sub/"});
  EXPECT_EQ(run.ScannedCount, 1);  // only top.txt: nothing below was entered
  EXPECT_TRUE(view.rows.empty());

  RunQueue(ScanFolder);
  EXPECT_EQ(run.ScannedCount, 2);
  ASSERT_EQ(view.rows.size(), 1u);
  EXPECT_EQ(view.rows[0].path, Folder() + "sub/deeper/v.exe");
  EXPECT_EQ(view.rows[0].name, "Trojan.Test");
  EXPECT_EQ(run.VirusCount, 1);
  EXPECT_EQ(view.trojans, "1");
}

TEST_F(FolderScanTest, AFolderArgumentWithADoubledSeparatorReportsSingleOnes) {
  WriteScanSettings({.IgnoreVirus = true});
  WriteVirus("sub/v.exe");
  folders.push_back(tree.path() + "//");  // a full-disk run appends one to a queued entry
  RunQueue(ScanFolder);
  ASSERT_EQ(view.rows.size(), 1u);
  EXPECT_EQ(view.rows[0].path, tree.path() + "/sub/v.exe");
}

TEST_F(FolderScanTest, ADeepTreeIsWalkedThroughTheQueue) {
  WriteScanSettings({.IgnoreVirus = true});
  std::string deep;
  for (int i = 0; i < 200; ++i) deep += "d/";
  WriteVirus(deep + "v.exe");
  folders.push_back(Folder());
  RunQueue(ScanFolder);
  ASSERT_EQ(view.rows.size(), 1u);
  EXPECT_EQ(view.rows[0].path, Folder() + deep + "v.exe");
}

TEST_F(FolderScanTest, LinksFifosAndDevicesAreNeitherOpenedNorQueued) {
  WriteScanSettings({.ScanAllFiles = true, .IgnoreVirus = true});
  test::TempDir elsewhere;
  elsewhere.Write("inner/other.exe", "x");
  const std::string infected = WriteVirus("real/v.exe");
  fs::create_directory_symlink(elsewhere.Path("inner"), tree.Path("linked-folder"));
  fs::create_symlink(infected, tree.Path("linked.exe"));
  fs::create_symlink(tree.Path("nowhere"), tree.Path("dangling.exe"));
  ASSERT_EQ(::mkfifo(tree.Path("pipe.exe").c_str(), 0600), 0);  // opening it would block
  fs::create_symlink("/dev/zero", tree.Path("zero.exe"));       // reading it would never end

  ScanFolder(context, Folder());
  EXPECT_EQ(folders, FolderQueue{Folder() + "real/"});
  EXPECT_EQ(run.ScannedCount, 0);
  EXPECT_TRUE(view.rows.empty());
}

TEST_F(FolderScanTest, AFolderThatCannotBeListedChangesNothing) {
  WriteScanSettings({.ScanAllFiles = true});
  ScanFolder(context, tree.Path("missing/"));
  ScanFolder(context, tree.Write("file.exe", "x") + "/");
  EXPECT_EQ(run.ScannedCount, 0);
  EXPECT_TRUE(folders.empty());
  EXPECT_EQ(view.scanned, "");
}

TEST_F(FolderScanTest, KernelPseudoFileSystemsAreNotWalked) {
  // /proc/self holds regular files (status, environ, ...) that a walk of
  // every file would otherwise open and read.
  WriteScanSettings({.ScanAllFiles = true});
  for (const char* folder : {"/proc/self/", "/sys/kernel/"}) {
    ScanFolder(context, folder);
    EXPECT_EQ(run.ScannedCount, 0) << folder;
    EXPECT_TRUE(folders.empty()) << folder;
  }
  tree.Write("plain.txt", "x");
  ScanFolder(context, Folder());
  EXPECT_EQ(run.ScannedCount, 1);
}

TEST_F(FolderScanTest, StopEndsTheWalkBeforeTheNextEntry) {
  WriteScanSettings({.ScanAllFiles = true, .IgnoreVirus = true});
  for (int i = 0; i < 10; ++i) tree.Write("f" + std::to_string(i) + ".txt", "x");
  for (int i = 0; i < 5; ++i) fs::create_directory(tree.Path("d" + std::to_string(i)));

  // The Stop button is pressed during the yield before the fourth entry.
  int yields = 0;
  SetYieldHandler([&] {
    if (++yields == 4) run.StopRequested = true;
  });
  ScanFolder(context, Folder());
  EXPECT_EQ(yields, 4);
  EXPECT_LE(run.ScannedCount + static_cast<int64_t>(folders.size()), 3);  // at most the three before

  // Stopped at once: nothing examined, nothing queued.
  run.StopRequested = false;
  folders.clear();
  const int64_t before = run.ScannedCount;
  SetYieldHandler([&] { run.StopRequested = true; });
  ScanFolder(context, Folder());
  EXPECT_EQ(run.ScannedCount, before);
  EXPECT_TRUE(folders.empty());
}

TEST_F(FolderScanTest, AWalkOnTheQueueFrontSurvivesTheQueueChangingUnderIt) {
  // The run walks folders.front(); a handler run from a yield (another scan
  // started by the context-menu timer) may take that entry off the queue.
  WriteScanSettings({.ScanAllFiles = true});
  for (int i = 0; i < 4; ++i) tree.Write("f" + std::to_string(i) + ".txt", "x");
  test::TempDir other;
  const std::string walked = Folder();
  folders.push_back(walked);
  bool taken = false;
  SetYieldHandler([&] {
    if (taken) return;
    taken = true;
    folders.pop_front();
    folders.push_back(other.path() + std::string(walked.size() - other.path().size(), '/'));
  });
  ScanFolder(context, folders.front());
  EXPECT_EQ(run.ScannedCount, 4);
  for (const auto& shown : view.nowScanningHistory) EXPECT_EQ(shown.rfind(walked, 0), 0u) << shown;
}

TEST_F(FolderScanTest, SettingsAreReadAnewForEveryFile) {
  // The first detection asks; while the alert is open the user switches the
  // settings to "clear", which the walk applies from the next file on.
  WriteScanSettings({.AlertVirus = true});
  WriteVirus("a.exe");
  WriteVirus("b.exe");
  view.onAlert = [this] { WriteScanSettings({.ClearVirus = true}); };
  ScanFolder(context, Folder());
  ASSERT_EQ(view.alerts.size(), 1u);
  ASSERT_EQ(view.rows.size(), 2u);
  EXPECT_EQ(view.rows[0].outcome, "未清除");  // the alert's close counts as Ignore
  EXPECT_EQ(view.rows[1].outcome, "已清除");
  EXPECT_TRUE(fs::exists(view.rows[0].path));
  EXPECT_FALSE(fs::exists(view.rows[1].path));
}

TEST_F(FolderScanTest, FixedSettingsAreReadOncePerRegularFile) {
  tree.Write("a.txt", "x");
  tree.Write("b.exe", "x");
  fs::create_directory(tree.Path("sub"));
  int reads = 0;
  context.readSettings = [&reads] {
    ++reads;
    return ScanSettings{};
  };
  ScanFolder(context, Folder());
  EXPECT_EQ(reads, 2);
  EXPECT_EQ(run.ScannedCount, 1);
}

TEST_F(FolderScanTest, OleScanFolderIsTheSameWalk) {
  WriteScanSettings({.IgnoreVirus = true});
  WriteVirus("v.exe");
  fs::create_directory(tree.Path("sub"));
  tree.Write("skip.txt", "x");
  OleScanFolder(context, Folder());
  EXPECT_EQ(run.ScannedCount, 1);
  EXPECT_EQ(folders, FolderQueue{Folder() + "sub/"});
  ASSERT_EQ(view.rows.size(), 1u);
}

TEST_F(FolderScanTest, RightClickWalkListsEveryExaminedFileBeforeItsDetection) {
  WriteScanSettings({.IgnoreVirus = true});
  const std::string infected = WriteVirus("v.exe", "Trojan.RC");
  const std::string clean = WriteCleanPe("c.exe");
  tree.Write("skip.txt", "x");
  view.rightClickRows.push_back({"1", "/earlier", "安全"});

  int yields = 0;
  SetYieldHandler([&yields] { ++yields; });
  RightClickScanFolder(context, Folder());

  ASSERT_EQ(view.rightClickRows.size(), 3u);
  std::vector<std::string> verdicts;
  for (size_t i = 1; i < 3; ++i) {
    EXPECT_EQ(view.rightClickRows[i].id, std::to_string(i + 1));
    verdicts.push_back(view.rightClickRows[i].path + " " + view.rightClickRows[i].verdict);
  }
  std::sort(verdicts.begin(), verdicts.end());
  EXPECT_EQ(verdicts, (std::vector<std::string>{clean + " 安全", infected + " Trojan.RC"}));

  const auto listed =
      std::find(view.events.begin(), view.events.end(), "rightclick " + infected + " Trojan.RC");
  const auto handled = std::find(view.events.begin(), view.events.end(), "row " + infected + " 未清除");
  ASSERT_NE(listed, view.events.end());
  ASSERT_NE(handled, view.events.end());
  EXPECT_LT(listed, handled);
  // One yield per entry (".", "..", three files) plus one per examined file, plus
  // the section check's own yields.
  EXPECT_GE(yields, 5 + 2);
}

TEST_F(FolderScanTest, LongPathsAreShortenedInTheNowScanningLabel) {
  WriteScanSettings({.ScanAllFiles = true});
  const std::string name(80, 'n');
  const std::string path = tree.Write(name, "x");
  ScanFolder(context, Folder());
  EXPECT_EQ(view.nowScanning, ShortenForLabel(path));
  EXPECT_EQ(view.nowScanning.size(), 60u);
}

}  // namespace
}  // namespace zq
