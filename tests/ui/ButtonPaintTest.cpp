// Pixel checks on the button's own surface.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>

#include "UiTestSupport.h"
#include "ui/Command.h"

namespace zq {
namespace {

using test::PixelText;
using test::RgbText;

const std::string kFace = "RGB(236,233,216)";
const std::string kFrame = "RGB(0,60,115)";
const std::string kFrameCorner = "RGB(16,77,123)";
const std::string kHover = "RGB(250,195,88)";

class ButtonPaint : public ::testing::Test {
 protected:
  ButtonPaint() : button(QStringLiteral("确定"), nullptr) { button.resize(65, 25); }
  ~ButtonPaint() override { Command::SetPointerSource(nullptr); }

  void Hover() { test::MoveOver(&button, QPoint(10, 10)); }
  void PointerOutside() {
    Command::SetPointerSource([this] { return button.mapToGlobal(QPoint(-20, -20)); });
  }
  void Focus() {
    QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(&button, &in);
  }

  Command button;
};

TEST_F(ButtonPaint, Style1XpType3FadesFromTheBottomRowToWhite) {
  ASSERT_EQ(button.XpType(), 3);
  // 236 + 19/20, 235 + 20/20, 230 + 25/20 after rounding.
  EXPECT_EQ(PixelText(button, 5, 23), "RGB(237,236,231)");
  EXPECT_EQ(PixelText(button, 5, 1), "RGB(255,255,255)");
  EXPECT_EQ(PixelText(button, 5, 4), "RGB(255,255,255)");
}

TEST_F(ButtonPaint, FadeRoundsHalvesToEven) {
  // At H = 7 the blue step is 25 / 2 = 12.5: 242.5 rounds to 242, red 245.5 to 246.
  button.SetCaption(QString());
  button.resize(20, 7);
  EXPECT_EQ(PixelText(button, 5, 5), "RGB(246,245,242)");
}

TEST_F(ButtonPaint, RoundFrameLeavesTheOutermostCornersFaceColoured) {
  EXPECT_EQ(PixelText(button, 2, 0), kFrame);
  EXPECT_EQ(PixelText(button, 62, 0), kFrame);
  EXPECT_EQ(PixelText(button, 63, 0), kFace);  // the end pixel of the line is left out
  EXPECT_EQ(PixelText(button, 0, 2), kFrame);
  EXPECT_EQ(PixelText(button, 64, 22), kFrame);
  EXPECT_EQ(PixelText(button, 1, 1), kFrameCorner);
  EXPECT_EQ(PixelText(button, 63, 23), kFrameCorner);
  EXPECT_EQ(PixelText(button, 0, 0), kFace);
  EXPECT_EQ(PixelText(button, 64, 24), kFace);
}

TEST_F(ButtonPaint, HoverFrameShowsInsideTheOutlineAndGoesWhenThePointerLeaves) {
  const std::string plain = PixelText(button, 2, 1);
  Hover();
  EXPECT_TRUE(button.IsHover());
  EXPECT_EQ(PixelText(button, 2, 1), kHover);
  EXPECT_EQ(PixelText(button, 1, 2), kHover);
  EXPECT_EQ(PixelText(button, 30, 2), kHover);
  EXPECT_EQ(PixelText(button, 63, 10), kHover);
  EXPECT_EQ(PixelText(button, 30, 22), kHover);
  EXPECT_EQ(PixelText(button, 2, 0), kFrame);

  PointerOutside();
  button.Timer1Tick();
  EXPECT_FALSE(button.IsHover());
  EXPECT_EQ(PixelText(button, 2, 1), plain);
}

TEST_F(ButtonPaint, XpType2HoversInOrange) {
  button.SetXpType(2);
  Hover();
  EXPECT_EQ(PixelText(button, 2, 1), "RGB(228,144,80)");
}

TEST_F(ButtonPaint, NewRectColourWaitsForTheNextHover) {
  Hover();
  const int repaints = button.RepaintCount();
  button.SetRectColor(Rgb(10, 200, 30));
  EXPECT_EQ(button.RepaintCount(), repaints);
  EXPECT_EQ(PixelText(button, 2, 1), kHover);
  PointerOutside();
  button.Timer1Tick();
  Command::SetPointerSource(nullptr);
  Hover();
  EXPECT_EQ(PixelText(button, 2, 1), "RGB(10,200,30)");
}

TEST_F(ButtonPaint, FocusShowsBlueLinesAndDotsButNotWhileHovering) {
  Focus();
  EXPECT_EQ(PixelText(button, 1, 10), "RGB(140,174,231)");
  EXPECT_EQ(PixelText(button, 10, 23), "RGB(107,130,239)");
  EXPECT_EQ(PixelText(button, 10, 1), "RGB(206,231,255)");
  EXPECT_EQ(PixelText(button, 3, 2), "RGB(189,215,247)");
  EXPECT_EQ(PixelText(button, 2, 11), "RGB(181,209,240)");
  // The dotted rectangle starts at (2, 2) and skips every other pixel.
  EXPECT_EQ(PixelText(button, 2, 2), "RGB(0,0,0)");
  EXPECT_EQ(PixelText(button, 4, 2), "RGB(0,0,0)");
  EXPECT_EQ(PixelText(button, 2, 4), "RGB(0,0,0)");

  Hover();
  EXPECT_EQ(PixelText(button, 4, 2), kHover);
  EXPECT_EQ(PixelText(button, 2, 4), kHover);
}

TEST_F(ButtonPaint, NoFocusDecorationWhenShowFocusRectIsOff) {
  const QImage plain = button.Surface().Image();
  button.SetShowFocusRect(false);
  Focus();
  EXPECT_TRUE(button.HasFocusFlag());
  EXPECT_EQ(button.Surface().Image(), plain);
}

TEST_F(ButtonPaint, DefaultButtonIsDecoratedLikeAFocusedOne) {
  button.SetDefault(true);
  EXPECT_EQ(PixelText(button, 1, 10), "RGB(140,174,231)");
  button.SetShowFocusRect(false);
  EXPECT_NE(PixelText(button, 1, 10), "RGB(140,174,231)");
}

TEST_F(ButtonPaint, PressedLookFadesDownFromTheTop) {
  const struct {
    int xpType;
    std::string top;
  } cases[] = {
      // One step lighter than the start colour already: 171 + 84/20, 170 + 85/20, 188 + 67/20.
      {1, "RGB(175,174,191)"},
      {3, "RGB(226,226,218)"},
  };
  for (const auto& c : cases) {
    button.SetXpType(c.xpType);
    button.DrawButton(2, true);
    EXPECT_EQ(PixelText(button, 5, 1), c.top) << "XpType " << c.xpType;
    EXPECT_EQ(PixelText(button, 5, 22), "RGB(255,255,255)") << "XpType " << c.xpType;
    EXPECT_EQ(PixelText(button, 2, 0), kFrame);
  }
}

TEST_F(ButtonPaint, DisabledLookIsFlatWithAPaleFrame) {
  button.SetEnabled(false);
  EXPECT_EQ(PixelText(button, 3, 3), "RGB(244,244,234)");
  EXPECT_EQ(PixelText(button, 2, 0), "RGB(201,199,186)");
  EXPECT_EQ(PixelText(button, 1, 1), "RGB(201,199,186)");
  EXPECT_EQ(PixelText(button, 0, 0), "RGB(244,244,234)");
}

TEST_F(ButtonPaint, SchemeGradientRunsDarkerDownwards) {
  button.SetColorScheme(3);
  // base = (240,240,240); row i darkens by 25 * i / H, blue in proportion.
  EXPECT_EQ(PixelText(button, 5, 1), "RGB(239,239,239)");
  EXPECT_EQ(PixelText(button, 5, 23), "RGB(217,217,212)");
}

TEST_F(ButtonPaint, WrappedCaptionStartsAtHalfTheSpareHeight) {
  button.resize(57, 25);
  button.SetCaption(QStringLiteral("检测病毒库更新"));
  const QFontMetrics metrics(button.Font());
  const int width = metrics.horizontalAdvance(button.Caption());
  ASSERT_GT(width, 57);
  ASSERT_LE(width, 2 * 57);  // two lines
  EXPECT_EQ(button.PaintState().textRect.top, (25 - 2 * metrics.height()) / 2);
  button.DrawButton(2, true);
  EXPECT_EQ(button.PaintState().pressedTextRect.top, button.PaintState().textRect.top + 2);
  // A caption that fits again is centred in the whole height.
  button.SetCaption(QStringLiteral("确定"));
  EXPECT_EQ(button.PaintState().textRect.top, 0);
}

TEST_F(ButtonPaint, CaptionIsPaintedInTheMiddle) {
  // Some pixel of the middle row differs from the fade behind it.
  bool found = false;
  for (int x = 10; x < 55 && !found; ++x) found = PixelText(button, x, 12) != PixelText(button, 5, 12);
  EXPECT_TRUE(found);
  button.SetCaption(QString());
  for (int x = 3; x < 62; ++x) ASSERT_EQ(PixelText(button, x, 12), PixelText(button, 5, 12));
}

TEST_F(ButtonPaint, ZeroHeightPaintsNothingAndSixPixelsIsEnough) {
  button.resize(40, 0);
  EXPECT_TRUE(button.Surface().Image().isNull() || button.Surface().H() == 0);
  button.resize(40, 6);
  EXPECT_EQ(PixelText(button, 2, 0), kFrame);
}

TEST(ButtonRegionTest, Styles3And4CutThreePixelsAtEachCorner) {
  for (int type : {3, 4}) {
    const QRegion region = MakeButtonRegion(type, 20, 10);
    for (QPoint cut :
         {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(19, 0), QPoint(18, 0), QPoint(19, 1), QPoint(0, 9),
          QPoint(1, 9), QPoint(0, 8), QPoint(19, 9), QPoint(18, 9), QPoint(19, 8)}) {
      EXPECT_FALSE(region.contains(cut)) << type << ": " << cut.x() << "," << cut.y();
    }
    for (QPoint kept :
         {QPoint(2, 0), QPoint(1, 1), QPoint(0, 2), QPoint(17, 0), QPoint(18, 8), QPoint(10, 5)}) {
      EXPECT_TRUE(region.contains(kept)) << type << ": " << kept.x() << "," << kept.y();
    }
  }
  for (int type : {1, 2, 5}) EXPECT_EQ(MakeButtonRegion(type, 20, 10), QRegion(0, 0, 20, 10));
}

TEST(ButtonRegionTest, WidgetMaskFollowsTheStyle) {
  Command button(QStringLiteral("确定"), nullptr);
  button.resize(30, 25);
  button.show();
  EXPECT_TRUE(button.mask().contains(QPoint(0, 0)));
  button.SetButtonType(3);
  EXPECT_FALSE(button.mask().contains(QPoint(0, 0)));
  EXPECT_FALSE(button.mask().contains(QPoint(29, 23)));
}

// ---- styles 2 to 5 ----

class ButtonStyles : public ButtonPaint {};

TEST_F(ButtonStyles, Style2IsARaisedBevel) {
  button.SetButtonType(2);
  EXPECT_EQ(PixelText(button, 2, 0), "RGB(113,111,100)");  // dark shadow
  EXPECT_EQ(PixelText(button, 1, 1), "RGB(113,111,100)");
  EXPECT_EQ(PixelText(button, 3, 2), "RGB(255,255,255)");    // highlight
  EXPECT_EQ(PixelText(button, 63, 10), "RGB(172,168,153)");  // shadow
  EXPECT_EQ(PixelText(button, 5, 5), "RGB(241,239,226)");    // light fill
  button.DrawButton(2, true);
  // Pressed: S-64 outline just inside the dark frame.
  EXPECT_EQ(PixelText(button, 10, 1), "RGB(108,104,89)");
}

TEST_F(ButtonStyles, Style3SheenHasAFrameOnlyFromTenPixelsUp) {
  button.SetButtonType(3);
  EXPECT_EQ(PixelText(button, 2, 0), "RGB(183,183,183)");
  button.SetColorScheme(2);
  EXPECT_EQ(PixelText(button, 2, 0), "RGB(1,109,1)");
  button.resize(40, 9);
  EXPECT_NE(PixelText(button, 2, 0), "RGB(1,109,1)");
  EXPECT_NE(PixelText(button, 2, 0), "RGB(183,183,183)");
}

TEST_F(ButtonStyles, Style3PressedIsFlatOutsideSchemeOne) {
  button.SetButtonType(3);
  button.SetColorScheme(2);
  button.DrawButton(2, true);
  EXPECT_EQ(PixelText(button, 5, 5), RgbText(button.MouseDownMidColor()));
  EXPECT_EQ(PixelText(button, 5, 20), RgbText(button.MouseDownMidColor()));
  EXPECT_EQ(PixelText(button, 2, 0), "RGB(84,157,84)");
}

TEST_F(ButtonStyles, Style4GlassHasLightInnerFrames) {
  button.SetButtonType(4);
  EXPECT_EQ(PixelText(button, 2, 0), "RGB(81,107,148)");
  EXPECT_EQ(PixelText(button, 10, 1), "RGB(211,229,255)");
  EXPECT_EQ(PixelText(button, 10, 2), "RGB(201,216,255)");
  EXPECT_EQ(PixelText(button, 10, 22), "RGB(207,234,255)");
  button.SetEnabled(false);
  EXPECT_EQ(PixelText(button, 2, 0), "RGB(128,140,162)");
}

TEST_F(ButtonStyles, Style5IsFlatAndChangesColourOnHoverAndPress) {
  button.SetButtonType(5);
  EXPECT_EQ(PixelText(button, 0, 0), "RGB(188,188,66)");
  EXPECT_EQ(PixelText(button, 1, 1), "RGB(222,222,160)");
  Hover();
  EXPECT_EQ(PixelText(button, 0, 0), "RGB(127,128,1)");
  EXPECT_EQ(PixelText(button, 1, 1), "RGB(220,220,186)");
  button.DrawButton(2, true);
  EXPECT_EQ(PixelText(button, 1, 1), "RGB(190,190,126)");
  button.SetColorScheme(3);
  EXPECT_EQ(PixelText(button, 1, 1), "RGB(153,180,223)");
}

TEST_F(ButtonStyles, UnknownStyleDrawsOnlyFaceAndCaption) {
  button.SetButtonType(9);
  EXPECT_EQ(PixelText(button, 0, 0), kFace);
  EXPECT_EQ(PixelText(button, 2, 0), kFace);
  EXPECT_EQ(PixelText(button, 5, 23), kFace);
}

}  // namespace
}  // namespace zq
