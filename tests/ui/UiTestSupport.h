#pragma once

#include <QColor>
#include <QEvent>
#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QWidget>
#include <ostream>
#include <string>

#include "ui/ColorMath.h"

// Readable failure messages for the Qt types the tests compare.
inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QColor& colour, std::ostream* os) {
  *os << colour.name().toStdString();
}
inline void PrintTo(const QPoint& point, std::ostream* os) {
  *os << "(" << point.x() << ", " << point.y() << ")";
}
inline void PrintTo(const QSize& size, std::ostream* os) {
  *os << size.width() << "x" << size.height();
}
inline void PrintTo(const QImage& image, std::ostream* os) {
  *os << "QImage " << image.width() << "x" << image.height() << " #" << image.cacheKey();
}

namespace zq {
class Command;
}

namespace zq::test {

// "RGB(r,g,b)", so a failed pixel check reads like the rules.
std::string RgbText(Colour colour);
std::string RgbText(int red, int green, int blue);
// The colour of one pixel of a button's own surface.
std::string PixelText(const Command& button, int x, int y);

// Writes every file of the skin table into <program folder>/Skin/<name>/ as
// small solid bitmaps of one colour.
void WriteSolidSkin(const std::string& name, const QColor& colour);

// Mouse events sent straight to a widget, positions in its own pixels.
void SendMouse(QWidget* widget, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons buttons);
void MoveOver(QWidget* widget, QPoint pos, Qt::MouseButtons buttons = Qt::NoButton);
void Press(QWidget* widget, QPoint pos, Qt::MouseButton button = Qt::LeftButton);
void Release(QWidget* widget, QPoint pos, Qt::MouseButton button = Qt::LeftButton);

}  // namespace zq::test
