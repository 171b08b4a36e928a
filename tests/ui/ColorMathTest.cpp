#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "ui/ColorMath.h"

namespace zq {
namespace {

using test::RgbText;

TEST(RoundEvenTest, TiesGoToTheEvenNeighbour) {
  const struct {
    double value;
    int expected;
  } cases[] = {{0.5, 0},  {1.5, 2},   {2.5, 2},      {242.5, 242},  {245.5, 246},
               {-0.5, 0}, {-1.5, -2}, {236.95, 237}, {231.25, 231}, {0.49, 0}};
  for (const auto& c : cases) EXPECT_EQ(RoundEven(c.value), c.expected) << c.value;
}

TEST(ShiftColorTest, AddsAndClampsPerComponent) {
  const struct {
    Colour colour;
    int amount;
    ShiftMode mode;
    std::string expected;
  } cases[] = {
      {Rgb(100, 100, 100), 31, ShiftMode::Additive, "RGB(131,131,131)"},
      {Rgb(100, 100, 100), -192, ShiftMode::Additive, "RGB(0,0,0)"},
      {Rgb(250, 10, 128), 48, ShiftMode::Additive, "RGB(255,58,176)"},
      // Proportional mode moves blue by blue * amount / 192, red and green stay additive.
      {Rgb(100, 100, 96), 48, ShiftMode::Proportional, "RGB(148,148,120)"},
      {Rgb(100, 100, 100), -5, ShiftMode::Proportional, "RGB(95,95,98)"},
      {Rgb(0, 0, 255), 48, ShiftMode::Proportional, "RGB(48,48,255)"},
  };
  for (const auto& c : cases) EXPECT_EQ(RgbText(ShiftColor(c.colour, c.amount, c.mode)), c.expected);
}

TEST(ShiftColorTest, CappedShiftStopsAtTheCapAndAtZero) {
  EXPECT_EQ(RgbText(ShiftColorCapped(Rgb(220, 220, 186), -30, -30, -60, Rgb(250, 250, 250))),
            "RGB(190,190,126)");
  EXPECT_EQ(RgbText(ShiftColorCapped(Rgb(240, 20, 100), 30, -30, 0, Rgb(250, 250, 90))), "RGB(250,0,90)");
}

TEST(RgbTest, ComponentsOutsideTheRangeCountAsTheLimit) {
  EXPECT_EQ(Rgb(300, -4, 255), Rgb(255, 0, 255));
  EXPECT_EQ(Rgb(1, 2, 3), 1u + 256u * 2u + 65536u * 3u);
}

}  // namespace
}  // namespace zq
