#include <gtest/gtest.h>

#include <filesystem>

#include "ScanTestSupport.h"
#include "platform/Clock.h"
#include "scan/Detection.h"
#include "scan/Quarantine.h"

namespace zq {
namespace {

namespace fs = std::filesystem;
using Row = test::FakeView::Row;

class DetectionTest : public ::testing::Test, protected test::ScanFixture {
 protected:
  DetectionTest() { fs::create_directory(home.Path("quarantine")); }
  ~DetectionTest() override { SetClockHandler({}); }

  std::vector<std::string> Outcomes() const {
    std::vector<std::string> out;
    for (const auto& r : view.rows) out.push_back(r.outcome);
    return out;
  }
};

TEST_F(DetectionTest, TheFourSettingsAreTestedOnTheirOwnInOrder) {
  struct Case {
    const char* what;
    ScanSettings settings;
    std::vector<std::string> outcomes;
    bool fileStays;
  };
  const Case cases[] = {
      {"ignore", {.IgnoreVirus = true}, {"未清除"}, true},
      {"clear", {.ClearVirus = true}, {"已清除"}, false},
      {"quarantine", {.QuarantineVirus = true}, {"已隔离"}, false},
      {"none", {}, {}, true},
      // Hand-edited settings: the delete runs first, the quarantine then fails.
      {"clear and quarantine", {.ClearVirus = true, .QuarantineVirus = true}, {"已清除", "隔离失败"}, false},
      {"ignore and clear", {.ClearVirus = true, .IgnoreVirus = true}, {"未清除", "已清除"}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    view.rows.clear();
    const std::string path = tree.Write("v.exe", "bytes");
    HandleDetection(view, path, "Trojan.A", c.settings);
    EXPECT_EQ(Outcomes(), c.outcomes);
    EXPECT_EQ(fs::exists(path), c.fileStays);
    for (const auto& row : view.rows) {
      EXPECT_EQ(row.path, path);
      EXPECT_EQ(row.name, "Trojan.A");
    }
    EXPECT_TRUE(view.alerts.empty());
  }
}

TEST_F(DetectionTest, EachAlertAnswerActsAndListsOnce) {
  struct Case {
    AlertChoice answer;
    const char* outcome;
    bool fileStays;
  };
  const Case cases[] = {
      {AlertChoice::Ignore, "未清除", true},
      {AlertChoice::Clear, "已清除", false},
      {AlertChoice::Quarantine, "已隔离", false},
  };
  for (const auto& c : cases) {
    view.rows.clear();
    view.alerts.clear();
    const std::string path = tree.Write("v.exe", "bytes");
    view.answers = {c.answer};
    HandleDetection(view, path, "Worm.B", {.AlertVirus = true});
    ASSERT_EQ(view.alerts, std::vector<std::string>{path + "|Worm.B"});
    ASSERT_EQ(view.rows.size(), 1u) << c.outcome;
    EXPECT_EQ(view.rows[0].outcome, c.outcome);
    EXPECT_EQ(fs::exists(path), c.fileStays) << c.outcome;
  }
}

TEST_F(DetectionTest, FailedActionsAreReportedInTheOutcomeOnly) {
  const std::string gone = tree.Path("gone.exe");
  HandleDetection(view, gone, "Trojan.A", {.ClearVirus = true});
  HandleDetection(view, gone, "Trojan.A", {.QuarantineVirus = true});
  view.answers = {AlertChoice::Clear, AlertChoice::Quarantine};
  HandleDetection(view, gone, "Trojan.A", {.AlertVirus = true});
  HandleDetection(view, gone, "Trojan.A", {.AlertVirus = true});
  EXPECT_EQ(Outcomes(), (std::vector<std::string>{"清除失败", "隔离失败", "清除失败", "隔离失败"}));
}

TEST_F(DetectionTest, ALinkToAnInfectedFileIsNeitherClearedNorQuarantined) {
  // Removing the link would report the virus gone while its file stays.
  const std::string target = tree.Write("real.exe", "bytes");
  const std::string link = tree.Path("link.exe");
  fs::create_symlink(target, link);
  HandleDetection(view, link, "Trojan.A", {.ClearVirus = true, .QuarantineVirus = true});
  EXPECT_EQ(Outcomes(), (std::vector<std::string>{"清除失败", "隔离失败"}));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_TRUE(fs::exists(target));
  EXPECT_TRUE(fs::is_empty(home.Path("quarantine")));
}

TEST_F(DetectionTest, RowsAreNumberedAfterTheRowsAlreadyListed) {
  view.rows.push_back({"1", "/earlier", "X", "未清除"});
  for (int i = 0; i < 3; ++i) AddResultRow(view, "/p" + std::to_string(i), "N", "未清除");
  ASSERT_EQ(view.rows.size(), 4u);
  EXPECT_EQ(view.rows[1].id, "2");
  EXPECT_EQ(view.rows[3].id, "4");
  EXPECT_EQ(view.rows[3].path, "/p2");
}

TEST_F(DetectionTest, ScanOneFileExaminesAnyExtensionAndCountsFirst) {
  WriteScanSettings({.IgnoreVirus = true});  // ScanAllFiles off: no filter applies here
  const std::string infected = WriteVirus("dropped.txt", "Backdoor.C");
  const std::string clean = tree.Write("notes.txt", "plain text");

  int64_t now = 1000;
  SetClockHandler([&now] { return now; });
  ResetRunState(run);
  now += 65;

  EXPECT_EQ(ScanOneFile(context, clean), "");
  EXPECT_EQ(run.ScannedCount, 1);
  EXPECT_EQ(view.scanned, "1");
  EXPECT_EQ(view.timeUsed, "0:01:05");
  EXPECT_EQ(view.nowScanning, clean);
  EXPECT_EQ(run.VirusCount, 0);
  EXPECT_TRUE(view.rows.empty());

  EXPECT_EQ(ScanOneFile(context, infected), "Backdoor.C");
  EXPECT_EQ(run.ScannedCount, 2);
  EXPECT_EQ(run.VirusCount, 1);
  EXPECT_EQ(view.trojans, "1");
  ASSERT_EQ(view.rows.size(), 1u);
  EXPECT_EQ(view.rows[0].path, infected);
  EXPECT_EQ(view.rows[0].outcome, "未清除");

  // A file that cannot be examined is still counted.
  EXPECT_EQ(ScanOneFile(context, tree.Path("missing.exe")), "");
  EXPECT_EQ(run.ScannedCount, 3);
}

TEST_F(DetectionTest, WithNoActionSetADetectionIsCountedButNotListed) {
  WriteScanSettings({});
  const std::string infected = WriteVirus("v.exe");
  EXPECT_EQ(ScanOneFile(context, infected), "Trojan.Test");
  EXPECT_EQ(view.trojans, "1");
  EXPECT_TRUE(view.rows.empty());
  EXPECT_TRUE(fs::exists(infected));
}

TEST_F(DetectionTest, MissingSettingsFileMeansTheShippedAlert) {
  // No Settings.ini: the shipped values apply, and they ask the user.
  const std::string infected = WriteVirus("v.exe");
  view.answers = {AlertChoice::Quarantine};
  ScanOneFile(context, infected);
  ASSERT_EQ(view.alerts.size(), 1u);
  ASSERT_EQ(view.rows.size(), 1u);
  EXPECT_EQ(view.rows[0].outcome, "已隔离");
  EXPECT_FALSE(fs::exists(infected));
}

}  // namespace
}  // namespace zq
