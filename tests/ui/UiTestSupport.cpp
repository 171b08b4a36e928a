#include "UiTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMouseEvent>

#include "ui/Command.h"
#include "ui/SkinTable.h"
#include "ui/Skins.h"

namespace zq::test {

std::string RgbText(Colour colour) {
  return RgbText(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

std::string RgbText(int red, int green, int blue) {
  return "RGB(" + std::to_string(red) + "," + std::to_string(green) + "," + std::to_string(blue) + ")";
}

std::string PixelText(const Command& button, int x, int y) {
  return RgbText(button.Surface().Pixel(x, y));
}

void WriteSolidSkin(const std::string& name, const QColor& colour) {
  const QString folder = QString::fromStdString(SkinFolder() + name);
  QDir().mkpath(folder);
  QImage image(12, 10, QImage::Format_RGB32);
  image.fill(colour);
  for (const std::string& file : SkinFileNames()) {
    image.save(QDir(folder).filePath(QString::fromStdString(file)), "BMP");
  }
}

void SendMouse(QWidget* widget, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
  const QPointF local(pos);
  QMouseEvent event(type, local, local, widget->mapToGlobal(local), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

void MoveOver(QWidget* widget, QPoint pos, Qt::MouseButtons buttons) {
  SendMouse(widget, QEvent::MouseMove, pos, Qt::NoButton, buttons);
}

void Press(QWidget* widget, QPoint pos, Qt::MouseButton button) {
  SendMouse(widget, QEvent::MouseButtonPress, pos, button, button);
}

void Release(QWidget* widget, QPoint pos, Qt::MouseButton button) {
  SendMouse(widget, QEvent::MouseButtonRelease, pos, button, Qt::NoButton);
}

}  // namespace zq::test
