#pragma once

#include <QPixmap>
#include <QPoint>
#include <QWidget>
#include <functional>
#include <map>
#include <string>

#include "ui/WindowLayout.h"

namespace zq {

class ImageArray;

// A borderless window whose look comes from the current skin: its background
// bitmap, its image arrays (created from the skin table), the three-state
// close image and dragging by the background.
class SkinnedWindow : public QWidget {
  Q_OBJECT

 public:
  explicit SkinnedWindow(const char* windowName, QWidget* parent = nullptr);
  ~SkinnedWindow() override;

  const std::string& WindowName() const { return name_; }
  const WindowLayout& Layout() const { return layout_; }

  // The window's load: skin it, place the close images, then the form's own
  // load handler.
  void Load();
  // Takes every bitmap of this window from the current skin, in table order.
  // A file that cannot be loaded keeps the picture it replaces; false then.
  bool ReSkinMe();

  ImageArray* Images(const QString& control) const;
  ImageArray* CloseImages() const { return Images(QStringLiteral("ImageExit")); }
  const QPixmap& Background() const { return background_; }

  // Shows the window modally; returns once it is hidden or closed.
  void ShowModal();
  // The close action of the layout table. One gesture (release and click)
  // runs it once.
  void RunCloseAction();

  // When a release over a three-state image counts.
  enum class ReleaseRule { Always, OnlyWhilePressed };
  // Normal, hover and pressed looks of a three-state image with its action.
  void WireThreeStateImage(ImageArray* images, ReleaseRule rule, std::function<void()> action);

 signals:
  void Hidden();

 protected:
  // The form's own part of loading, after the skin is on.
  virtual void FormLoad() {}
  // What the close image does when the layout says the window decides.
  virtual void CustomCloseAction() { close(); }
  // The pointer moved over the background: three-state images go back to normal.
  virtual void BackgroundMouseMove();

  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  std::string name_;
  WindowLayout layout_;
  QPixmap background_;
  std::map<QString, ImageArray*> images_;
  std::vector<ImageArray*> threeState_;
  bool dragging_ = false;
  QPoint dragOffset_;
  bool gestureActed_ = false;
};

}  // namespace zq
