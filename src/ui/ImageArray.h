#pragma once

#include <QPixmap>
#include <QWidget>
#include <vector>

namespace zq {

// An image control array stacked on one spot: one picture per index, exactly
// one of them visible.
class ImageArray : public QWidget {
  Q_OBJECT

 public:
  ImageArray(const QString& name, int count, QWidget* parent);

  int Count() const { return static_cast<int>(pictures_.size()); }
  // Index out of range is ignored; a null picture keeps the one it has.
  void SetPicture(int index, const QPixmap& picture);
  const QPixmap& Picture(int index) const;
  // Shows only the given index.
  void ShowOnly(int index);
  int VisibleIndex() const { return visible_; }

 signals:
  void MouseMove(int index);
  void MouseDown(int index, Qt::MouseButton button);
  // `over` tells whether the pointer was still over the image.
  void MouseUp(int index, Qt::MouseButton button, bool over);
  void Click(int index);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void FitToPicture();
  std::vector<QPixmap> pictures_;
  int visible_ = 0;
  bool pressed_ = false;
};

}  // namespace zq
