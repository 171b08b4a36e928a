// The two skins the build paints into the program folder.
#include <gtest/gtest.h>

#include <QImage>

#include "platform/FileIo.h"
#include "platform/ProgramFolder.h"
#include "ui/SkinTable.h"
#include "ui/Skins.h"
#include "ui/WindowLayout.h"

namespace zq {
namespace {

// The parameter is an index: ctest spells test names (and their listed
// parameters) in ASCII only.
const char* const kShippedSkins[] = {"经典蓝", "翡翠绿"};

class ShippedSkin : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    const char* programDir = std::getenv("ZQ_PROGRAM_DIR");
    SetProgramFolder(programDir && *programDir ? programDir : ZQ_BUILT_PROGRAM_DIR);
  }
  void TearDown() override { SetProgramFolder(""); }
  static std::string Skin() { return kShippedSkins[GetParam()]; }
  QImage Load(const std::string& file) { return LoadSkinPicture(Skin(), file).toImage(); }
};

TEST_P(ShippedSkin, IsCompleteAndEveryFileIsA24BitBitmap) {
  EXPECT_TRUE(CheckSkin(Skin()).Ok()) << SkinRefusalText(Skin(), CheckSkin(Skin()));
  for (const std::string& file : SkinFileNames()) {
    const auto bytes = ReadWholeFile(SkinFilePath(Skin(), file));
    ASSERT_TRUE(bytes.has_value()) << file;
    ASSERT_GE(bytes->size(), 54u) << file;
    EXPECT_EQ(bytes->substr(0, 2), "BM") << file;
    EXPECT_EQ(static_cast<unsigned char>((*bytes)[28]), 24u) << file;  // bits per pixel
  }
}

TEST_P(ShippedSkin, BackgroundsFitTheirWindows) {
  for (const SkinWindowEntry& entry : SkinTable()) {
    const WindowLayout* layout = FindWindowLayout(entry.window);
    const QImage background = Load(entry.background);
    EXPECT_GE(background.width(), layout->width) << entry.window;
    EXPECT_GE(background.height(), layout->height) << entry.window;
  }
  EXPECT_EQ(Load("Exit0.bmp").size(), QSize(kExitImageSize.width, kExitImageSize.height));
  EXPECT_EQ(Load("Min1.bmp").size(), QSize(kMinImageSize.width, kMinImageSize.height));
  EXPECT_EQ(Load("Skin2.bmp").size(), QSize(kSkinImageSize.width, kSkinImageSize.height));
  EXPECT_EQ(Load("QuickScan1.bmp").size(), QSize(kScanButtonSize.width, kScanButtonSize.height));
}

TEST_P(ShippedSkin, CloseImageBlendsIntoEveryTitleStrip) {
  const QImage close = Load("Exit0.bmp");
  for (const SkinWindowEntry& entry : SkinTable()) {
    const WindowLayout* layout = FindWindowLayout(entry.window);
    if (layout->closeLeftTwips < 0) continue;
    const QImage background = Load(entry.background);
    const int left = TwipsToPixels(layout->closeLeftTwips);
    // The image's left column continues the strip it sits on.
    for (int y = 0; y < close.height(); ++y) {
      ASSERT_EQ(close.pixel(0, y), background.pixel(left, y)) << entry.window << " row " << y;
    }
  }
}

TEST_P(ShippedSkin, TwoLooksOfATabOrScanButtonDiffer) {
  for (const char* stem :
       {"SecurityState", "ScanResult", "Shield", "Software", "QuickScan", "FullScan", "CustomerScan",
        "GeneralSetting", "ScanSetting", "ShieldSetting", "UpdateSetting"}) {
    EXPECT_NE(Load(std::string(stem) + "0.bmp"), Load(std::string(stem) + "1.bmp")) << stem;
  }
  for (const char* stem : {"Exit", "Min", "Skin"}) {
    EXPECT_NE(Load(std::string(stem) + "0.bmp"), Load(std::string(stem) + "1.bmp")) << stem;
    EXPECT_NE(Load(std::string(stem) + "1.bmp"), Load(std::string(stem) + "2.bmp")) << stem;
  }
}

INSTANTIATE_TEST_SUITE_P(BothSkins, ShippedSkin, ::testing::Values(0, 1),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return std::string(info.param == 0 ? "ClassicBlue" : "JadeGreen");
                         });

}  // namespace
}  // namespace zq
