// Loading and saving the button's properties in a form's stored data.
#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "ui/Command.h"
#include "ui/PropertyBag.h"

namespace zq {
namespace {

using test::RgbText;

QVariant C(Colour colour) {
  return QVariant::fromValue<qint64>(colour);
}

TEST(CommandProperties, LoadReadsKeysInTheDescribedOrder) {
  PropertyBag bag;
  Command button;
  button.ReadProperties(bag);
  const QStringList expected = {"BackColor",
                                "ForeColor",
                                "Enabled",
                                "Font",
                                "hWnd",
                                "ButtonType",
                                "XpType",
                                "Caption",
                                "ColorScheme",
                                "ShowFocusRect",
                                "rectcolor",
                                "Percent",
                                "MidColor",
                                "EndColor",
                                "MouseMoveEndColor",
                                "MouseMoveMidColor",
                                "MouseDownEndColor",
                                "MouseDownMidColor",
                                "OfficeXpFillColor",
                                "OfficeXpFrameColor",
                                "OfficeXpMousemoveFillColor",
                                "OfficeXpMousemoveFrameColor"};
  EXPECT_EQ(bag.ReadLog(), expected);
  EXPECT_EQ(button.Caption(), QStringLiteral("wwbutton"));
  EXPECT_EQ(button.Percent(), 16);
  EXPECT_EQ(RgbText(button.RectColor()), "RGB(250,195,88)");
}

TEST(CommandProperties, StoredColoursWinOverSchemePresets) {
  PropertyBag bag;
  bag.Set("ButtonType", 4);
  bag.Set("ColorScheme", 3);
  bag.Set("MidColor", C(Rgb(1, 2, 3)));
  bag.Set("OfficeXpFillColor", C(Rgb(4, 5, 6)));
  Command button;
  button.ReadProperties(bag);
  EXPECT_EQ(RgbText(button.MidColor()), "RGB(1,2,3)");
  EXPECT_EQ(RgbText(button.OfficeXpFillColor()), "RGB(4,5,6)");
  // Not stored: the shipped default, not the scheme's preset.
  EXPECT_EQ(RgbText(button.OfficeXpFrameColor()), "RGB(188,188,66)");
}

TEST(CommandProperties, SchemePresetsApplyWhenSetAtRunTime) {
  Command button;
  button.SetColorScheme(3);
  EXPECT_EQ(RgbText(button.OfficeXpFillColor()), "RGB(236,233,216)");
  EXPECT_EQ(RgbText(button.OfficeXpMousemoveFrameColor()), "RGB(49,105,198)");
  EXPECT_EQ(RgbText(button.Colours().face), "RGB(192,192,192)");

  Command glass;
  glass.SetButtonType(4);
  EXPECT_EQ(glass.Percent(), 53);
  EXPECT_EQ(RgbText(glass.MidColor()), "RGB(124,171,255)");
  EXPECT_EQ(RgbText(glass.MouseDownMidColor()), "RGB(100,153,255)");

  Command scheme2;
  scheme2.SetBackColor(Rgb(100, 100, 100));
  scheme2.SetColorScheme(2);
  const DerivedColours& d = scheme2.Colours();
  EXPECT_EQ(RgbText(d.light), "RGB(131,131,131)");
  EXPECT_EQ(RgbText(d.highlight), "RGB(147,147,147)");
  EXPECT_EQ(RgbText(d.shadow), "RGB(36,36,36)");
  EXPECT_EQ(RgbText(d.darkShadow), "RGB(0,0,0)");
}

TEST(CommandProperties, SaveWritesOnlyWhatDiffersFromTheDefaults) {
  Command button;
  PropertyBag empty;
  button.ReadProperties(empty);
  PropertyBag saved;
  button.WriteProperties(saved);
  EXPECT_TRUE(saved.Keys().isEmpty());
  EXPECT_EQ(saved.WriteLog().size(), 22);

  button.SetCaption(QStringLiteral("隔离"));
  button.SetXpType(3);
  EXPECT_EQ(button.SetPercent(53), kErrorNone);
  PropertyBag changed;
  button.WriteProperties(changed);
  EXPECT_EQ(changed.Keys(), (QStringList{"XpType", "Caption", "Percent"}));
  EXPECT_EQ(changed.Value("Percent").userType(), QMetaType::Short);
}

TEST(CommandProperties, SavedDataLoadsBackTheSameButton) {
  Command original;
  original.SetCaption(QStringLiteral("&Ok"));
  original.SetButtonType(5);
  original.SetColorScheme(2);
  original.SetBackColor(Rgb(90, 140, 200));
  original.SetRectColor(Rgb(1, 1, 1));
  original.SetShowFocusRect(false);
  original.SetEnabled(false);
  PropertyBag bag;
  original.WriteProperties(bag);

  Command copy;
  copy.resize(65, 25);
  original.resize(65, 25);
  copy.ReadProperties(bag);
  EXPECT_EQ(copy.Caption(), original.Caption());
  EXPECT_EQ(copy.AccessKey(), QLatin1Char('o'));
  EXPECT_EQ(copy.ButtonType(), 5);
  EXPECT_EQ(copy.BackColor(), original.BackColor());
  EXPECT_EQ(copy.RectColor(), original.RectColor());
  EXPECT_FALSE(copy.ShowFocusRect());
  EXPECT_FALSE(copy.Enabled());
  EXPECT_EQ(copy.Surface().Image(), original.Surface().Image());
}

TEST(CommandProperties, NewInstanceIsCaptionedWithItsName) {
  Command button;
  button.InitNew(QStringLiteral("CommandOK"));
  EXPECT_EQ(button.Caption(), QStringLiteral("CommandOK"));
  EXPECT_EQ(button.XpType(), 1);
  EXPECT_EQ(button.VisualState(), 0);
}

TEST(CommandProperties, MalformedStoredValuesFallBackToDefaults) {
  PropertyBag bag;
  bag.Set("Percent", 500);
  bag.Set("MidColor", QStringLiteral("green"));
  Command button;
  button.resize(65, 25);
  button.ReadProperties(bag);
  EXPECT_EQ(button.Percent(), 16);
  EXPECT_EQ(RgbText(button.MidColor()), "RGB(116,200,115)");
}

}  // namespace
}  // namespace zq
