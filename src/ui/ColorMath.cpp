#include "ui/ColorMath.h"

#include <algorithm>
#include <cmath>

namespace zq {

Colour Rgb(int red, int green, int blue) {
  red = std::clamp(red, 0, 255);
  green = std::clamp(green, 0, 255);
  blue = std::clamp(blue, 0, 255);
  return static_cast<Colour>(red + 256 * green + 65536 * blue);
}

int RoundEven(double value) {
  if (std::isnan(value)) return 0;
  value = std::clamp(value, -1e9, 1e9);
  const double lower = std::floor(value);
  const double diff = value - lower;
  long result = static_cast<long>(lower);
  if (diff > 0.5 || (diff == 0.5 && (result % 2 != 0))) ++result;
  return static_cast<int>(result);
}

Colour ShiftColor(Colour colour, int amount, ShiftMode mode) {
  const int red = RedOf(colour) + amount;
  const int green = GreenOf(colour) + amount;
  const int blue = BlueOf(colour);
  const int newBlue = mode == ShiftMode::Additive ? blue + amount : blue + (blue * amount) / 192;
  return Rgb(red, green, newBlue);
}

Colour ShiftColorCapped(Colour colour, int dRed, int dGreen, int dBlue, Colour cap) {
  return Rgb(std::clamp(RedOf(colour) + dRed, 0, RedOf(cap)),
             std::clamp(GreenOf(colour) + dGreen, 0, GreenOf(cap)),
             std::clamp(BlueOf(colour) + dBlue, 0, BlueOf(cap)));
}

}  // namespace zq
