#pragma once

#include <QFont>
#include <QImage>
#include <QString>

#include "ui/ColorMath.h"

namespace zq {

// Rectangle with exclusive right and bottom edges, as the painting rules use them.
struct EdgeRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// The button's own pixel surface and the primitives it is painted with. Every
// primitive writes pixels directly so the results are exact; only captions go
// through the font renderer.
class ButtonCanvas {
 public:
  void Resize(int width, int height);
  int W() const { return width_; }
  int H() const { return height_; }
  const QImage& Image() const { return image_; }

  // Colour of one pixel; nullopt outside the surface.
  bool PixelAt(int x, int y, Colour* colour) const;
  // Colour of one pixel, black outside the surface.
  Colour Pixel(int x, int y) const;

  void Clear(Colour colour);
  // Rectangle (x, y)-(x + width, y + height), right and bottom exclusive;
  // outline draws its one-pixel border, otherwise it is filled.
  void DrawBox(int x, int y, int width, int height, Colour colour, bool outline);
  // One-pixel line; the end pixel itself is not painted.
  void DrawLine(int x1, int y1, int x2, int y2, Colour colour);
  void DrawPixel(int x, int y, Colour colour);
  // Rounded frame along the edges; the outermost corner pixels are left alone.
  void DrawRoundFrame(Colour lineColour, Colour cornerColour);
  // Horizontal lines from yFrom to yTo that fade from the start colour to white
  // over H - 5 lines.
  void DrawFadeToWhite(int red0, int green0, int blue0, int yFrom, int yTo, int yStep);
  // Dotted rectangle: every other pixel of the border, starting at its top-left.
  void DrawFocusRect(const EdgeRect& rect, Colour colour);

  void SetFont(const QFont& font) { font_ = font; }
  const QFont& Font() const { return font_; }
  int TextWidth(const QString& text) const;
  int LineHeight() const;
  // Text without a background; "&" marks the access key as on a push button.
  void DrawText(const QString& text, const EdgeRect& rect, int qtFlags, Colour colour);

 private:
  void Put(int x, int y, QRgb rgb);
  QImage image_;
  QFont font_;
  int width_ = 0;
  int height_ = 0;
};

QRgb ToQRgb(Colour colour);
Colour FromQRgb(QRgb rgb);

}  // namespace zq
