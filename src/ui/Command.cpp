#include "ui/Command.h"

#include <QCursor>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>

#include "ui/InputCodes.h"
#include "ui/UiFont.h"
#include "ui/WindowLayout.h"

namespace zq {
namespace {

std::function<QPoint()>& PointerSource() {
  static std::function<QPoint()> source;
  return source;
}

}  // namespace

QRegion MakeButtonRegion(int buttonType, int W, int H) {
  QRegion region(0, 0, W, H);
  if (buttonType != 3 && buttonType != 4) return region;
  const QRect cuts[] = {QRect(0, 0, 2, 1),         QRect(0, H - 1, 2, 1),    QRect(W - 2, 0, 2, 1),
                        QRect(W - 2, H - 1, 2, 1), QRect(0, 1, 1, 1),        QRect(0, H - 2, 1, 1),
                        QRect(W - 1, 1, 1, 1),     QRect(W - 1, H - 2, 1, 1)};
  for (const QRect& cut : cuts) region -= cut;
  return region;
}

void Command::SetPointerSource(std::function<QPoint()> source) {
  PointerSource() = std::move(source);
}

Command::Command(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  canvas_.SetFont(ProgramFont());
  timer1_.setInterval(10);
  connect(&timer1_, &QTimer::timeout, this, &Command::Timer1Tick);
  // Creation: the last button is the left one, the pressed caption sits two
  // pixels in, and the colours follow the scheme.
  lastButton_ = 1;
  paint_.pressedTextRect.left = 2;
  paint_.pressedTextRect.top = 2;
  ApplyScheme();
}

Command::Command(const QString& caption, QWidget* parent) : Command(parent) {
  p_.caption = caption;
  p_.xpType = 3;
  ApplyAccessKey();
  resize(57, kButtonHeight);
}

void Command::InitNew(const QString& instanceName) {
  p_ = ButtonProperties{};
  p_.caption = instanceName;
  canvas_.SetFont(parentWidget() ? parentWidget()->font() : ProgramFont());
  ApplyScheme();
  ApplyAccessKey();
  paint_.visualState = 0;
  DrawButton(0, true);
}

void Command::SetColour(Colour& field, Colour colour) {
  field = colour & 0xFFFFFF;
  DrawButton(paint_.visualState, true);
}

void Command::SetBackColor(Colour colour) {
  p_.backColor = colour & 0xFFFFFF;
  ApplyScheme();
  DrawButton(paint_.visualState, true);
}

void Command::SetForeColor(Colour colour) {
  p_.foreColor = colour & 0xFFFFFF;
  ApplyScheme();
  DrawButton(paint_.visualState, true);
}

int Command::SetPercent(int percent) {
  // A rejected value is not kept: the next repaint must not divide by it.
  if (percent < 0 || percent > 100) return kErrorInvalidPropertyValue;
  p_.percent = percent;
  DrawButton(paint_.visualState, true);
  return kErrorNone;
}

void Command::SetEnabled(bool enabled) {
  p_.enabled = enabled;
  QWidget::setEnabled(enabled);
  HandleResize();
}

void Command::SetFont(const QFont& font) {
  canvas_.SetFont(font);
  DrawButton(paint_.visualState, true);
}

quintptr Command::HWnd() const {
  return static_cast<quintptr>(internalWinId());
}

int Command::SetHWnd(qint32) {
  return kErrorReadOnlyAtRunTime;
}

void Command::SetButtonType(int type) {
  p_.buttonType = type;
  ApplyScheme();
  if (type == 4) ApplyButtonType4Preset(p_);
  HandleResize();
}

void Command::SetCaption(const QString& caption) {
  p_.caption = caption;
  ApplyAccessKey();
  DrawButton(paint_.visualState, true);
}

void Command::SetColorScheme(int scheme) {
  p_.colorScheme = scheme;
  ApplyScheme();
  DrawButton(paint_.visualState, true);
}

void Command::SetXpType(int type) {
  p_.xpType = type;
  DrawButton(paint_.visualState, true);
}

void Command::SetShowFocusRect(bool show) {
  p_.showFocusRect = show;
  DrawButton(paint_.visualState, true);
}

void Command::SetDefault(bool isDefault) {
  paint_.isDefault = isDefault;
  DrawButton(paint_.visualState, true);
}

void Command::ApplyScheme() {
  SetSchemeColors(p_, colours_);
}

void Command::ApplyAccessKey() {
  if (shortcutId_ != 0) {
    releaseShortcut(shortcutId_);
    shortcutId_ = 0;
  }
  accessKey_ = AccessKeyOf(p_.caption);
  if (!accessKey_.isNull()) {
    shortcutId_ = grabShortcut(QKeySequence(QStringLiteral("Alt+") + accessKey_.toUpper()));
  }
}

void Command::HandleResize() {
  const int W = width();
  const int H = height();
  canvas_.Resize(W, H);
  paint_.textRect.right = W;
  paint_.textRect.bottom = H;
  paint_.pressedTextRect.right = W;
  paint_.pressedTextRect.bottom = H;
  paint_.focusRect = EdgeRect{2, 2, W - 2, H - 2};
  setMask(MakeButtonRegion(p_.buttonType, W, H));
  DrawButton(paint_.visualState, true);
}

const ButtonCanvas& Command::Surface() const {
  const_cast<Command*>(this)->EnsureSized();
  return canvas_;
}

void Command::EnsureSized() {
  if (canvas_.W() != width() || canvas_.H() != height()) HandleResize();
}

void Command::DrawButton(int state, bool force) {
  EnsureSized();
  if (!force && p_.caption == lastCaption_ && state == paint_.visualState) return;
  if (canvas_.H() == 0 || canvas_.W() == 0) return;
  paint_.visualState = state;
  lastCaption_ = p_.caption;
  PaintButton(canvas_, p_, colours_, paint_);
  ++repaintCount_;
  update();
}

bool Command::Inside(float x, float y) const {
  return x >= 0 && y >= 0 && x <= static_cast<float>(width()) && y <= static_cast<float>(height());
}

void Command::OnClick() {
  if (!p_.enabled) return;
  if (lastButton_ == 1) paint_.visualState = 0;
  DrawButton(paint_.visualState, true);
  repaint();
  emit Click();
}

void Command::OnMouseDown(short button, short shift, float x, float y) {
  if (!p_.enabled) return;
  lastButton_ = button;
  if (button != 2) paint_.visualState = 2;
  DrawButton(paint_.visualState, true);
  emit MouseDown(button, shift, x, y);
}

void Command::OnMouseUp(short button, short shift, float x, float y) {
  if (!p_.enabled) return;
  if (button != 2) paint_.visualState = 0;
  DrawButton(paint_.visualState, true);
  emit MouseUp(button, shift, x, y);
}

void Command::OnMouseMove(short button, short shift, float x, float y) {
  if ((button != 0 && button != 1) || !p_.enabled) return;
  // Enabling a running timer leaves its tick where it was; restarting it on
  // every move would hold it off for as long as the pointer keeps moving.
  if (!timer1_.isActive()) timer1_.start();
  if (!Inside(x, y)) return;
  emit MouseMove(button, shift, x, y);
  if (button == 1) {
    DrawButton(2, false);
  } else if (!paint_.hover) {
    paint_.hover = true;
    DrawButton(0, true);
  }
}

void Command::Timer1Tick() {
  const QPoint global = PointerSource() ? PointerSource()() : QCursor::pos();
  const QPoint local = mapFromGlobal(global);
  if (local.x() < 0 || local.y() < 0 || local.x() > width() || local.y() > height()) {
    timer1_.stop();
    emit MouseOut();
    paint_.hover = false;
    DrawButton(0, true);
  }
}

bool Command::event(QEvent* event) {
  if (event->type() == QEvent::Shortcut) {
    auto* shortcut = static_cast<QShortcutEvent*>(event);
    if (shortcut->shortcutId() == shortcutId_ && shortcutId_ != 0) {
      OnClick();
      return true;
    }
  }
  return QWidget::event(event);
}

void Command::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, canvas_.Image());
}

void Command::resizeEvent(QResizeEvent*) {
  HandleResize();
}

void Command::mousePressEvent(QMouseEvent* event) {
  // The press that opens a double click is followed by the double-click
  // event, which does the pressing.
  if (event->button() == Qt::LeftButton && (event->flags() & Qt::MouseEventCreatedDoubleClick)) return;
  suppressClick_ = false;
  const QPointF pos = event->position();
  OnMouseDown(VbButton(event->button()), VbShift(event->modifiers()), static_cast<float>(pos.x()),
              static_cast<float>(pos.y()));
}

void Command::mouseReleaseEvent(QMouseEvent* event) {
  const QPointF pos = event->position();
  const short button = VbButton(event->button());
  OnMouseUp(button, VbShift(event->modifiers()), static_cast<float>(pos.x()), static_cast<float>(pos.y()));
  // The second click of a double click raises no Click.
  const bool click = button == 1 && !suppressClick_ && rect().contains(pos.toPoint());
  suppressClick_ = false;
  if (click) OnClick();
}

void Command::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    mousePressEvent(event);
    return;
  }
  if (p_.enabled && lastButton_ == 1) OnMouseDown(1, 1, 1, 1);
  suppressClick_ = true;
}

void Command::mouseMoveEvent(QMouseEvent* event) {
  const QPointF pos = event->position();
  OnMouseMove(VbButtons(event->buttons()), VbShift(event->modifiers()), static_cast<float>(pos.x()),
              static_cast<float>(pos.y()));
}

void Command::keyPressEvent(QKeyEvent* event) {
  if (!p_.enabled) return;
  short keyCode = VbKeyCode(event->key());
  short shift = VbShift(event->modifiers());
  emit KeyDown(keyCode, shift);
  lastKey_ = keyCode;
  if (keyCode == 32) {
    OnMouseDown(1, 1, 1, 1);
  } else if (keyCode == 39 || keyCode == 40) {
    focusNextChild();
  } else if (keyCode == 37 || keyCode == 38) {
    focusPreviousChild();
  }
  const QString text = event->text();
  if (!text.isEmpty() && text.at(0).unicode() >= 32) {
    short ascii = static_cast<short>(text.at(0).unicode());
    emit KeyPress(ascii);
  }
}

void Command::keyReleaseEvent(QKeyEvent* event) {
  if (!p_.enabled || event->isAutoRepeat()) return;
  short keyCode = VbKeyCode(event->key());
  short shift = VbShift(event->modifiers());
  emit KeyUp(keyCode, shift);
  if (lastKey_ == 32 && keyCode == 32) {
    OnMouseUp(1, 1, 1, 1);
    lastButton_ = 1;
    OnClick();
  }
}

void Command::focusInEvent(QFocusEvent*) {
  paint_.hasFocus = true;
  DrawButton(paint_.visualState, true);
}

void Command::changeEvent(QEvent* event) {
  // Disabled through Qt (or with its window): paint the disabled look too.
  if (event->type() == QEvent::EnabledChange && isEnabled() != p_.enabled) {
    p_.enabled = isEnabled();
    HandleResize();
  }
  QWidget::changeEvent(event);
}

void Command::focusOutEvent(QFocusEvent*) {
  paint_.hasFocus = false;
  DrawButton(paint_.visualState, true);
}

}  // namespace zq
