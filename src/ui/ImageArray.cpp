#include "ui/ImageArray.h"

#include <QMouseEvent>
#include <QPainter>

namespace zq {

ImageArray::ImageArray(const QString& name, int count, QWidget* parent)
    : QWidget(parent), pictures_(static_cast<size_t>(std::max(count, 1))) {
  setObjectName(name);
  setMouseTracking(true);
}

void ImageArray::SetPicture(int index, const QPixmap& picture) {
  if (index < 0 || index >= Count() || picture.isNull()) return;
  pictures_[static_cast<size_t>(index)] = picture;
  if (index == visible_) FitToPicture();
  update();
}

const QPixmap& ImageArray::Picture(int index) const {
  static const QPixmap none;
  return index >= 0 && index < Count() ? pictures_[static_cast<size_t>(index)] : none;
}

void ImageArray::ShowOnly(int index) {
  if (index < 0 || index >= Count() || index == visible_) return;
  visible_ = index;
  FitToPicture();
  update();
}

void ImageArray::FitToPicture() {
  // The image control takes its picture's size.
  const QPixmap& picture = Picture(visible_);
  if (!picture.isNull()) resize(picture.size());
}

void ImageArray::paintEvent(QPaintEvent*) {
  const QPixmap& picture = Picture(visible_);
  if (picture.isNull()) return;
  QPainter painter(this);
  painter.drawPixmap(0, 0, picture);
}

void ImageArray::mouseMoveEvent(QMouseEvent* event) {
  if (rect().contains(event->position().toPoint())) emit MouseMove(visible_);
}

void ImageArray::mousePressEvent(QMouseEvent* event) {
  pressed_ = true;
  emit MouseDown(visible_, event->button());
}

void ImageArray::mouseReleaseEvent(QMouseEvent* event) {
  const int index = visible_;
  const bool over = rect().contains(event->position().toPoint());
  // A click is a press and a release on the image.
  const bool click = pressed_ && over && event->button() == Qt::LeftButton;
  pressed_ = false;
  emit MouseUp(index, event->button(), over);
  if (click) emit Click(index);
}

}  // namespace zq
