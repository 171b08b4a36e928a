#pragma once

#include <cstdint>

namespace zq {

// A colour as the button stores it: red + 256 * green + 65536 * blue.
using Colour = uint32_t;

// Components outside 0..255 are clamped, as the colour constructor does.
Colour Rgb(int red, int green, int blue);
inline int RedOf(Colour c) {
  return static_cast<int>(c % 256);
}
inline int GreenOf(Colour c) {
  return static_cast<int>((c / 256) % 256);
}
inline int BlueOf(Colour c) {
  return static_cast<int>((c / 65536) % 256);
}

// Round to the nearest integer, ties to even (the rounding of every
// single-precision-to-integer conversion in the painting rules).
int RoundEven(double value);

enum class ShiftMode { Additive, Proportional };

// Adds `amount` to each component; in proportional mode blue moves by
// blue * amount / 192 instead (red and green stay additive). Clamped to 0..255.
Colour ShiftColor(Colour colour, int amount, ShiftMode mode);

// Adds the deltas and clamps each component to 0..the matching component of cap.
Colour ShiftColorCapped(Colour colour, int dRed, int dGreen, int dBlue, Colour cap);

// The "system" colours of colour scheme 1, fixed so a button looks the same on
// every desktop.
namespace SystemColour {
inline constexpr Colour kButtonFace = 236 + 256 * 233 + 65536 * 216;
inline constexpr Colour kLight3D = 241 + 256 * 239 + 65536 * 226;
inline constexpr Colour kHighlight = 255 + 256 * 255 + 65536 * 255;
inline constexpr Colour kShadow = 172 + 256 * 168 + 65536 * 153;
inline constexpr Colour kDarkShadow = 113 + 256 * 111 + 65536 * 100;
inline constexpr Colour kButtonText = 0;
}  // namespace SystemColour

}  // namespace zq
