#include "ui/ButtonCanvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cstdlib>

namespace zq {

QRgb ToQRgb(Colour colour) {
  return qRgb(RedOf(colour), GreenOf(colour), BlueOf(colour));
}
Colour FromQRgb(QRgb rgb) {
  return Rgb(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

void ButtonCanvas::Resize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == width_ && height == height_ && (!image_.isNull() || width * height == 0)) return;
  width_ = width;
  height_ = height;
  image_ = width > 0 && height > 0 ? QImage(width, height, QImage::Format_RGB32) : QImage();
  if (!image_.isNull()) image_.fill(Qt::black);
}

bool ButtonCanvas::PixelAt(int x, int y, Colour* colour) const {
  if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return false;
  *colour = FromQRgb(image_.pixel(x, y));
  return true;
}

Colour ButtonCanvas::Pixel(int x, int y) const {
  Colour c = 0;
  return PixelAt(x, y, &c) ? c : 0;
}

void ButtonCanvas::Put(int x, int y, QRgb rgb) {
  if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return;
  reinterpret_cast<QRgb*>(image_.scanLine(y))[x] = rgb;
}

void ButtonCanvas::Clear(Colour colour) {
  if (!image_.isNull()) image_.fill(ToQRgb(colour));
}

void ButtonCanvas::DrawBox(int x, int y, int width, int height, Colour colour, bool outline) {
  if (width <= 0 || height <= 0) return;
  const QRgb rgb = ToQRgb(colour);
  const int right = x + width;
  const int bottom = y + height;
  for (int yy = y; yy < bottom; ++yy) {
    const bool edgeRow = yy == y || yy == bottom - 1;
    for (int xx = x; xx < right; ++xx) {
      if (outline && !edgeRow && xx != x && xx != right - 1) continue;
      Put(xx, yy, rgb);
    }
  }
}

void ButtonCanvas::DrawLine(int x1, int y1, int x2, int y2, Colour colour) {
  // Bresenham from the start point up to, not including, the end point.
  const QRgb rgb = ToQRgb(colour);
  const int dx = std::abs(x2 - x1);
  const int dy = -std::abs(y2 - y1);
  const int sx = x1 < x2 ? 1 : -1;
  const int sy = y1 < y2 ? 1 : -1;
  int err = dx + dy;
  int x = x1;
  int y = y1;
  while (x != x2 || y != y2) {
    Put(x, y, rgb);
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
}

void ButtonCanvas::DrawPixel(int x, int y, Colour colour) {
  Put(x, y, ToQRgb(colour));
}

void ButtonCanvas::DrawRoundFrame(Colour lineColour, Colour cornerColour) {
  const int w = W();
  const int h = H();
  DrawLine(2, 0, w - 2, 0, lineColour);
  DrawLine(2, h - 1, w - 2, h - 1, lineColour);
  DrawLine(0, 2, 0, h - 2, lineColour);
  DrawLine(w - 1, 2, w - 1, h - 2, lineColour);
  DrawPixel(1, 1, cornerColour);
  DrawPixel(1, h - 2, cornerColour);
  DrawPixel(w - 2, 1, cornerColour);
  DrawPixel(w - 2, h - 2, cornerColour);
}

void ButtonCanvas::DrawFadeToWhite(int red0, int green0, int blue0, int yFrom, int yTo, int yStep) {
  const int steps = H() - 5;
  if (steps <= 0 || yStep == 0) return;
  float red = static_cast<float>(red0);
  float green = static_cast<float>(green0);
  float blue = static_cast<float>(blue0);
  const float dRed = static_cast<float>(255 - red0) / static_cast<float>(steps);
  const float dGreen = static_cast<float>(255 - green0) / static_cast<float>(steps);
  const float dBlue = static_cast<float>(255 - blue0) / static_cast<float>(steps);
  for (int y = yFrom; yStep > 0 ? y <= yTo : y >= yTo; y += yStep) {
    red = std::min(red + dRed, 255.0f);
    green = std::min(green + dGreen, 255.0f);
    blue = std::min(blue + dBlue, 255.0f);
    DrawLine(1, y, W() - 1, y, Rgb(RoundEven(red), RoundEven(green), RoundEven(blue)));
  }
}

void ButtonCanvas::DrawFocusRect(const EdgeRect& rect, Colour colour) {
  if (rect.right <= rect.left || rect.bottom <= rect.top) return;
  const QRgb rgb = ToQRgb(colour);
  auto dot = [&](int x, int y) {
    if (((x - rect.left) + (y - rect.top)) % 2 == 0) Put(x, y, rgb);
  };
  for (int x = rect.left; x < rect.right; ++x) {
    dot(x, rect.top);
    dot(x, rect.bottom - 1);
  }
  for (int y = rect.top + 1; y < rect.bottom - 1; ++y) {
    dot(rect.left, y);
    dot(rect.right - 1, y);
  }
}

int ButtonCanvas::TextWidth(const QString& text) const {
  return QFontMetrics(font_).horizontalAdvance(text);
}

int ButtonCanvas::LineHeight() const {
  return QFontMetrics(font_).height();
}

void ButtonCanvas::DrawText(const QString& text, const EdgeRect& rect, int qtFlags, Colour colour) {
  if (image_.isNull() || text.isEmpty()) return;
  QPainter painter(&image_);
  painter.setFont(font_);
  painter.setPen(QColor(ToQRgb(colour)));
  painter.drawText(QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top),
                   qtFlags | Qt::TextShowMnemonic, text);
}

}  // namespace zq
