// The skin table, the layout table, checking skins and taking bitmaps from them.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <set>

#include "UiTestSupport.h"
#include "support/TempDir.h"
#include "ui/ImageArray.h"
#include "ui/SkinTable.h"
#include "ui/SkinnedWindow.h"
#include "ui/Skins.h"
#include "ui/WindowLayout.h"

namespace zq {
namespace {

TEST(SkinTableTest, ACompleteSkinHoldsFortyEightDistinctFiles) {
  const auto& files = SkinFileNames();
  EXPECT_EQ(files.size(), 48u);
  EXPECT_EQ(std::set<std::string>(files.begin(), files.end()).size(), 48u);
  EXPECT_EQ(files.front(), "Scan.bmp");
  EXPECT_NE(std::find(files.begin(), files.end(), "software.bmp"), files.end());
  EXPECT_NE(std::find(files.begin(), files.end(), "Software0.bmp"), files.end());
}

TEST(SkinTableTest, BackgroundsAndArraysLoadInTableOrder) {
  const SkinWindowEntry* main = FindSkinWindow("FormScan");
  ASSERT_NE(main, nullptr);
  ASSERT_EQ(main->arrays.size(), 14u);
  EXPECT_STREQ(main->arrays[0].control, "ImageExit");
  EXPECT_EQ(main->arrays[0].files.size(), 3u);
  EXPECT_STREQ(main->arrays[3].control, "ImageMemoryScan");
  EXPECT_EQ(main->arrays[3].files.size(), 2u);
  EXPECT_EQ(main->arrays[13].files.size(), 1u);
  // One background serves the start prompt and the notice.
  EXPECT_STREQ(FindSkinWindow("FormVevezoRezezad")->background, "VevezoRezezad.bmp");
  EXPECT_STREQ(FindSkinWindow("FormAlertMessage")->background, "VevezoRezezad.bmp");
  EXPECT_TRUE(FindSkinWindow("FormAbout")->arrays.empty());
}

TEST(SkinTableTest, ReSkinOrderCoversEveryWindowButTheWebPage) {
  const auto& order = ReSkinOrder();
  ASSERT_EQ(order.size(), 13u);
  EXPECT_STREQ(order.front(), "FormVevezoRezezad");
  EXPECT_STREQ(order.back(), "FormAbout");
  for (const char* window : order) EXPECT_NE(FindSkinWindow(window), nullptr) << window;
  EXPECT_EQ(std::count_if(order.begin(), order.end(),
                          [](const char* w) { return std::string(w) == "FormSoftware"; }),
            0);
  EXPECT_EQ(SkinTable().size(), 14u);
}

TEST(WindowLayoutTest, WidthEndsAtTheCloseImage) {
  for (const SkinWindowEntry& entry : SkinTable()) {
    const WindowLayout* layout = FindWindowLayout(entry.window);
    ASSERT_NE(layout, nullptr) << entry.window;
    if (layout->closeLeftTwips >= 0) {
      EXPECT_EQ(layout->width, layout->closeLeftTwips / 15 + kExitImageSize.width) << entry.window;
    }
    const PixelRect& p = layout->panel;
    EXPECT_GE(p.y, kTitleStripHeight) << entry.window;
    EXPECT_LE(p.x + p.width, layout->width) << entry.window;
    EXPECT_LE(p.y + p.height + (layout->footer ? kButtonHeight : 0), layout->height) << entry.window;
  }
  EXPECT_EQ(FindWindowLayout("FormScan")->width, 640);
  EXPECT_EQ(FindWindowLayout("FormSkin")->width, 337);
  // The prompt has no close image but shares the notice's background.
  EXPECT_EQ(FindWindowLayout("FormVevezoRezezad")->closeLeftTwips, -1);
  EXPECT_EQ(FindWindowLayout("FormVevezoRezezad")->width, FindWindowLayout("FormAlertMessage")->width);
}

TEST(WindowLayoutTest, PlacementsLieInsideTheirWindows) {
  for (const ControlPlacement& place : ControlPlacements()) {
    const WindowLayout* layout = FindWindowLayout(place.window);
    ASSERT_NE(layout, nullptr);
    EXPECT_GE(place.rect.x, 0) << place.control;
    EXPECT_LE(place.rect.x + place.rect.width, layout->width) << place.control;
    EXPECT_LE(place.rect.y + place.rect.height, layout->height) << place.control;
  }
  // The title-strip buttons sit edge to edge: skin, minimise, close.
  EXPECT_EQ(FindPlacement("FormScan", "ImageSkin")->rect.x + kSkinImageSize.width,
            FindPlacement("FormScan", "ImageMin")->rect.x);
  EXPECT_EQ(FindPlacement("FormScan", "ImageMin")->rect.x + kMinImageSize.width,
            FindPlacement("FormScan", "ImageExit")->rect.x);
  EXPECT_EQ(FindPlacement("FormSetting", "ImageGeneral")->rect.x, 480 / 15);
}

class SkinFolder : public ::testing::Test {
 protected:
  SkinFolder() { SetCurrentSkinName(kDefaultSkinName); }
  ~SkinFolder() override { SetCurrentSkinName(kDefaultSkinName); }
  std::string SkinPath(const std::string& skin, const std::string& file) { return SkinFilePath(skin, file); }
  test::TempProgramFolder folder;
};

TEST_F(SkinFolder, CheckFindsTheFirstMissingOrBrokenFile) {
  test::WriteSolidSkin("Mine", Qt::red);
  EXPECT_TRUE(CheckSkin("Mine").Ok());

  QFile::remove(QString::fromStdString(SkinPath("Mine", "Exit2.bmp")));
  SkinCheck check = CheckSkin("Mine");
  EXPECT_EQ(check.result, SkinCheck::Result::MissingFile);
  EXPECT_EQ(check.file, "Exit2.bmp");
  EXPECT_NE(SkinRefusalText("Mine", check).find("Exit2.bmp"), std::string::npos);

  test::WriteSolidSkin("Mine", Qt::red);
  folder.Write("Skin/Mine/About.bmp", "BM not really a bitmap");
  check = CheckSkin("Mine");
  EXPECT_EQ(check.result, SkinCheck::Result::UnreadableFile);
  EXPECT_EQ(check.file, "About.bmp");
}

TEST_F(SkinFolder, NamesThatAreNoSkinFolderAreRefused) {
  test::WriteSolidSkin("Mine", Qt::red);
  folder.Write("Skin/plain.txt", "x");
  const struct {
    const char* name;
    SkinCheck::Result result;
  } cases[] = {{"", SkinCheck::Result::BadName},      {".", SkinCheck::Result::BadName},
               {"..", SkinCheck::Result::BadName},    {"../Skin/Mine", SkinCheck::Result::BadName},
               {"Nope", SkinCheck::Result::NoFolder}, {"plain.txt", SkinCheck::Result::NoFolder}};
  for (const auto& c : cases) EXPECT_EQ(CheckSkin(c.name).result, c.result) << c.name;
}

TEST_F(SkinFolder, FileNamesMatchWithoutRegardToCase) {
  test::WriteSolidSkin("Mine", Qt::red);
  const QString lower = QString::fromStdString(SkinPath("Mine", "software.bmp"));
  ASSERT_TRUE(QFile::rename(lower, QString::fromStdString(SkinPath("Mine", "SOFTWARE.BMP"))));
  EXPECT_TRUE(CheckSkin("Mine").Ok());
  EXPECT_FALSE(LoadSkinPicture("Mine", "software.bmp").isNull());
}

TEST_F(SkinFolder, StartUpFallsBackToTheDefaultSkinWhenTheCurrentOneIsIncomplete) {
  test::WriteSolidSkin("Mine", Qt::red);
  folder.Write("Settings.ini", "[Normal]\r\nSkin=Mine\r\n");
  EXPECT_EQ(LoadStartupSkinName(), "Mine");
  EXPECT_EQ(CurrentSkinName(), "Mine");

  QFile::remove(QString::fromStdString(SkinPath("Mine", "Scan.bmp")));
  EXPECT_EQ(LoadStartupSkinName(), kDefaultSkinName);
  folder.Write("Settings.ini", "[Normal]\r\nSkin=\r\n");
  EXPECT_EQ(LoadStartupSkinName(), kDefaultSkinName);
}

TEST_F(SkinFolder, ReSkinMeKeepsThePictureOfAFileThatCannotBeLoaded) {
  test::WriteSolidSkin("Red", Qt::red);
  test::WriteSolidSkin("Green", Qt::green);
  SetCurrentSkinName("Red");
  SkinnedWindow window("FormQuarantine");
  EXPECT_TRUE(window.ReSkinMe());
  EXPECT_EQ(window.Background().toImage().pixelColor(1, 1), QColor(Qt::red));

  QFile::remove(QString::fromStdString(SkinPath("Green", "Quarantine.bmp")));
  folder.Write("Skin/Green/Exit1.bmp", "garbage");
  SetCurrentSkinName("Green");
  EXPECT_FALSE(window.ReSkinMe());
  EXPECT_EQ(window.Background().toImage().pixelColor(1, 1), QColor(Qt::red));
  EXPECT_EQ(window.CloseImages()->Picture(1).toImage().pixelColor(1, 1), QColor(Qt::red));
  EXPECT_EQ(window.CloseImages()->Picture(0).toImage().pixelColor(1, 1), QColor(Qt::green));
}

TEST_F(SkinFolder, WindowsTakeTheirSizeFromTheLayoutNotTheBitmap) {
  test::WriteSolidSkin("Red", Qt::red);
  SetCurrentSkinName("Red");
  SkinnedWindow window("FormScanFinish");
  window.Load();
  EXPECT_EQ(window.size(), QSize(401, 220));
  EXPECT_EQ(window.CloseImages()->pos(), QPoint(5520 / 15, 0));
  EXPECT_EQ(window.CloseImages()->VisibleIndex(), 0);
  EXPECT_EQ(window.windowTitle(), QStringLiteral("扫描完成"));
}

}  // namespace
}  // namespace zq
