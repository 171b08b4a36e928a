#include "ui/SkinnedWindow.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QHideEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QWindow>

#include "ui/FormRegistry.h"
#include "ui/ImageArray.h"
#include "ui/SkinTable.h"
#include "ui/Skins.h"
#include "ui/UiFont.h"

namespace zq {
namespace {

WindowLayout LayoutOf(const char* windowName) {
  if (const WindowLayout* layout = FindWindowLayout(windowName)) return *layout;
  return WindowLayout{windowName, "", 320, 240, -1, true, CloseAction::Close, PixelRect{8, 36, 304, 196},
                      false};
}

}  // namespace

SkinnedWindow::SkinnedWindow(const char* windowName, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      name_(windowName),
      layout_(LayoutOf(windowName)) {
  setObjectName(QString::fromUtf8(windowName));
  setWindowTitle(QString::fromUtf8(layout_.title));
  setFixedSize(layout_.width, layout_.height);
  setFont(ProgramFont());
  setMouseTracking(true);
  if (const SkinWindowEntry* entry = FindSkinWindow(name_)) {
    for (const SkinImageArray& array : entry->arrays) {
      const QString control = QString::fromUtf8(array.control);
      auto* images = new ImageArray(control, static_cast<int>(array.files.size()), this);
      images_[control] = images;
      if (const ControlPlacement* place = FindPlacement(name_, array.control)) {
        images->setGeometry(place->rect.x, place->rect.y, place->rect.width, place->rect.height);
      }
    }
  }
  if (ImageArray* close = CloseImages()) {
    if (layout_.closeLeftTwips >= 0) {
      close->setGeometry(TwipsToPixels(layout_.closeLeftTwips), 0, kExitImageSize.width,
                         kExitImageSize.height);
      const ReleaseRule rule = layout_.closeAction == CloseAction::HideOnPressed
                                   ? ReleaseRule::OnlyWhilePressed
                                   : ReleaseRule::Always;
      WireThreeStateImage(close, rule, [this] { RunCloseAction(); });
    } else {
      close->hide();
    }
  }
  FormRegistryDetail::AddLive(this);
}

SkinnedWindow::~SkinnedWindow() {
  FormRegistryDetail::RemoveLive(this);
}

void SkinnedWindow::Load() {
  ReSkinMe();
  if (ImageArray* close = CloseImages(); close && layout_.closeLeftTwips >= 0) {
    close->move(TwipsToPixels(layout_.closeLeftTwips), 0);
    close->ShowOnly(0);
  }
  FormLoad();
}

bool SkinnedWindow::ReSkinMe() {
  const SkinWindowEntry* entry = FindSkinWindow(name_);
  if (!entry) return false;
  bool complete = true;
  const QPixmap background = LoadSkinPicture(entry->background);
  if (background.isNull()) {
    complete = false;
  } else {
    background_ = background;
  }
  for (const SkinImageArray& array : entry->arrays) {
    ImageArray* images = Images(QString::fromUtf8(array.control));
    for (size_t i = 0; i < array.files.size(); ++i) {
      const QPixmap picture = LoadSkinPicture(array.files[i]);
      if (picture.isNull()) {
        complete = false;
        continue;
      }
      if (images) images->SetPicture(static_cast<int>(i), picture);
    }
  }
  update();
  return complete;
}

ImageArray* SkinnedWindow::Images(const QString& control) const {
  const auto it = images_.find(control);
  return it == images_.end() ? nullptr : it->second;
}

void SkinnedWindow::ShowModal() {
  QPointer<SkinnedWindow> self(this);
  setWindowModality(Qt::ApplicationModal);
  show();
  raise();
  activateWindow();
  QEventLoop loop;
  connect(this, &SkinnedWindow::Hidden, &loop, &QEventLoop::quit);
  connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
  if (isVisible()) loop.exec();
  if (self) setWindowModality(Qt::NonModal);
}

void SkinnedWindow::RunCloseAction() {
  switch (layout_.closeAction) {
    case CloseAction::None:
      break;
    case CloseAction::Hide:
    case CloseAction::HideOnPressed:
      hide();
      break;
    case CloseAction::Close:
      setAttribute(Qt::WA_DeleteOnClose);
      close();
      break;
    case CloseAction::Custom:
      CustomCloseAction();
      break;
  }
}

void SkinnedWindow::WireThreeStateImage(ImageArray* images, ReleaseRule rule, std::function<void()> action) {
  if (!images) return;
  threeState_.push_back(images);
  connect(images, &ImageArray::MouseMove, this, [images](int) {
    // While a button is held the pressed look stays.
    if (QGuiApplication::mouseButtons() == Qt::NoButton) images->ShowOnly(1);
  });
  connect(images, &ImageArray::MouseDown, this, [this, images](int, Qt::MouseButton) {
    gestureActed_ = false;
    images->ShowOnly(2);
  });
  auto act = [this, action] {
    if (gestureActed_) return;
    gestureActed_ = true;
    action();
  };
  connect(images, &ImageArray::MouseUp, this, [images, rule, act](int index, Qt::MouseButton, bool over) {
    if (over && (rule == ReleaseRule::Always || index == 2)) act();
    images->ShowOnly(over ? 1 : 0);
  });
  connect(images, &ImageArray::Click, this, [act](int) { act(); });
}

void SkinnedWindow::BackgroundMouseMove() {
  for (ImageArray* images : threeState_) images->ShowOnly(0);
}

void SkinnedWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor(236, 240, 246));
  if (!background_.isNull()) painter.drawPixmap(0, 0, background_);
}

void SkinnedWindow::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !layout_.draggable) return;
  if (QWindow* handle = windowHandle(); handle && handle->startSystemMove()) return;
  // No system move (offscreen, some window managers): follow the pointer ourselves.
  dragging_ = true;
  dragOffset_ = event->globalPosition().toPoint() - pos();
}

void SkinnedWindow::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_) {
    move(event->globalPosition().toPoint() - dragOffset_);
    return;
  }
  if (event->buttons() == Qt::NoButton) BackgroundMouseMove();
}

void SkinnedWindow::mouseReleaseEvent(QMouseEvent*) {
  dragging_ = false;
}

void SkinnedWindow::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  // Minimising is not closing.
  if (!event->spontaneous()) emit Hidden();
}

}  // namespace zq
