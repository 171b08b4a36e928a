#include "ui/Command.h"

#include <QCursor>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>

#include "ui/PropertyBag.h"
#include "ui/UiFont.h"
#include "ui/WindowLayout.h"

namespace zq {
namespace {

std::function<QPoint()>& PointerSource() {
  static std::function<QPoint()> source;
  return source;
}

short VbButton(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton:
      return 1;
    case Qt::RightButton:
      return 2;
    case Qt::MiddleButton:
      return 4;
    default:
      return 0;
  }
}

short VbButtons(Qt::MouseButtons buttons) {
  short mask = 0;
  if (buttons & Qt::LeftButton) mask |= 1;
  if (buttons & Qt::RightButton) mask |= 2;
  if (buttons & Qt::MiddleButton) mask |= 4;
  return mask;
}

short VbShift(Qt::KeyboardModifiers modifiers) {
  short mask = 0;
  if (modifiers & Qt::ShiftModifier) mask |= 1;
  if (modifiers & Qt::ControlModifier) mask |= 2;
  if (modifiers & Qt::AltModifier) mask |= 4;
  return mask;
}

// Key codes as the forms know them (the Windows virtual-key numbers).
short VbKeyCode(int key) {
  if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9) ||
      key == Qt::Key_Space) {
    return static_cast<short>(key);
  }
  switch (key) {
    case Qt::Key_Left:
      return 37;
    case Qt::Key_Up:
      return 38;
    case Qt::Key_Right:
      return 39;
    case Qt::Key_Down:
      return 40;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return 13;
    case Qt::Key_Escape:
      return 27;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return 9;
    case Qt::Key_Backspace:
      return 8;
    case Qt::Key_Delete:
      return 46;
    case Qt::Key_Insert:
      return 45;
    case Qt::Key_Home:
      return 36;
    case Qt::Key_End:
      return 35;
    case Qt::Key_PageUp:
      return 33;
    case Qt::Key_PageDown:
      return 34;
    case Qt::Key_Shift:
      return 16;
    case Qt::Key_Control:
      return 17;
    case Qt::Key_Alt:
      return 18;
    default:
      break;
  }
  if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return static_cast<short>(112 + (key - Qt::Key_F1));
  return 0;
}

QVariant ColourValue(Colour colour) {
  return QVariant::fromValue<qint64>(colour);
}
Colour ColourFrom(const QVariant& value, Colour fallback) {
  bool ok = false;
  const qint64 v = value.toLongLong(&ok);
  return ok && v >= 0 && v <= 0xFFFFFF ? static_cast<Colour>(v) : fallback;
}
int IntFrom(const QVariant& value, int fallback) {
  bool ok = false;
  const int v = value.toInt(&ok);
  return ok ? v : fallback;
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

void Command::ReadProperties(PropertyBag& bag) {
  const ButtonProperties d;
  const QFont ambient = parentWidget() ? parentWidget()->font() : ProgramFont();
  p_.backColor = ColourFrom(bag.ReadProperty("BackColor", ColourValue(d.backColor)), d.backColor);
  p_.foreColor = ColourFrom(bag.ReadProperty("ForeColor", ColourValue(d.foreColor)), d.foreColor);
  p_.enabled = bag.ReadProperty("Enabled", d.enabled).toBool();
  const QVariant font = bag.ReadProperty("Font", ambient);
  canvas_.SetFont(font.canConvert<QFont>() ? font.value<QFont>() : ambient);
  storedHWnd_ = IntFrom(bag.ReadProperty("hWnd", 0), 0);
  p_.buttonType = IntFrom(bag.ReadProperty("ButtonType", d.buttonType), d.buttonType);
  p_.xpType = IntFrom(bag.ReadProperty("XpType", d.xpType), d.xpType);
  p_.caption = bag.ReadProperty("Caption", d.caption).toString();
  p_.colorScheme = IntFrom(bag.ReadProperty("ColorScheme", d.colorScheme), d.colorScheme);
  p_.showFocusRect = bag.ReadProperty("ShowFocusRect", d.showFocusRect).toBool();
  QWidget::setEnabled(p_.enabled);
  ApplyScheme();
  ApplyAccessKey();
  // Read after the scheme, so stored colours win over its presets.
  p_.rectColor = ColourFrom(bag.ReadProperty("rectcolor", ColourValue(d.rectColor)), d.rectColor);
  const int percent = IntFrom(bag.ReadProperty("Percent", d.percent), d.percent);
  p_.percent = percent >= 0 && percent <= 100 ? percent : d.percent;
  auto colour = [&bag](const char* key, Colour fallback) {
    return ColourFrom(bag.ReadProperty(key, ColourValue(fallback)), fallback);
  };
  p_.midColor = colour("MidColor", d.midColor);
  p_.endColor = colour("EndColor", d.endColor);
  p_.mouseMoveEndColor = colour("MouseMoveEndColor", d.mouseMoveEndColor);
  p_.mouseMoveMidColor = colour("MouseMoveMidColor", d.mouseMoveMidColor);
  p_.mouseDownEndColor = colour("MouseDownEndColor", d.mouseDownEndColor);
  p_.mouseDownMidColor = colour("MouseDownMidColor", d.mouseDownMidColor);
  p_.officeXpFillColor = colour("OfficeXpFillColor", d.officeXpFillColor);
  p_.officeXpFrameColor = colour("OfficeXpFrameColor", d.officeXpFrameColor);
  p_.officeXpMousemoveFillColor = colour("OfficeXpMousemoveFillColor", d.officeXpMousemoveFillColor);
  p_.officeXpMousemoveFrameColor = colour("OfficeXpMousemoveFrameColor", d.officeXpMousemoveFrameColor);
  paint_.visualState = 0;
  HandleResize();
}

void Command::WriteProperties(PropertyBag& bag) const {
  const ButtonProperties d;
  const QFont ambient = parentWidget() ? parentWidget()->font() : ProgramFont();
  bag.WriteProperty("BackColor", ColourValue(p_.backColor), ColourValue(d.backColor));
  bag.WriteProperty("ForeColor", ColourValue(p_.foreColor), ColourValue(d.foreColor));
  bag.WriteProperty("Enabled", p_.enabled, d.enabled);
  bag.WriteProperty("Font", canvas_.Font(), ambient);
  bag.WriteProperty("hWnd", storedHWnd_, 0);
  bag.WriteProperty("ButtonType", p_.buttonType, d.buttonType);
  bag.WriteProperty("XpType", p_.xpType, d.xpType);
  bag.WriteProperty("Caption", p_.caption, d.caption);
  bag.WriteProperty("ColorScheme", p_.colorScheme, d.colorScheme);
  bag.WriteProperty("ShowFocusRect", p_.showFocusRect, d.showFocusRect);
  bag.WriteProperty("rectcolor", ColourValue(p_.rectColor), ColourValue(d.rectColor));
  bag.WriteProperty("Percent", QVariant::fromValue<short>(static_cast<short>(p_.percent)),
                    QVariant::fromValue<short>(static_cast<short>(d.percent)));
  bag.WriteProperty("MidColor", ColourValue(p_.midColor), ColourValue(d.midColor));
  bag.WriteProperty("EndColor", ColourValue(p_.endColor), ColourValue(d.endColor));
  bag.WriteProperty("MouseMoveEndColor", ColourValue(p_.mouseMoveEndColor), ColourValue(d.mouseMoveEndColor));
  bag.WriteProperty("MouseMoveMidColor", ColourValue(p_.mouseMoveMidColor), ColourValue(d.mouseMoveMidColor));
  bag.WriteProperty("MouseDownEndColor", ColourValue(p_.mouseDownEndColor), ColourValue(d.mouseDownEndColor));
  bag.WriteProperty("MouseDownMidColor", ColourValue(p_.mouseDownMidColor), ColourValue(d.mouseDownMidColor));
  bag.WriteProperty("OfficeXpFillColor", ColourValue(p_.officeXpFillColor), ColourValue(d.officeXpFillColor));
  bag.WriteProperty("OfficeXpFrameColor", ColourValue(p_.officeXpFrameColor),
                    ColourValue(d.officeXpFrameColor));
  bag.WriteProperty("OfficeXpMousemoveFillColor", ColourValue(p_.officeXpMousemoveFillColor),
                    ColourValue(d.officeXpMousemoveFillColor));
  bag.WriteProperty("OfficeXpMousemoveFrameColor", ColourValue(p_.officeXpMousemoveFrameColor),
                    ColourValue(d.officeXpMousemoveFrameColor));
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
  timer1_.start();
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

void Command::focusOutEvent(QFocusEvent*) {
  paint_.hasFocus = false;
  DrawButton(paint_.visualState, true);
}

}  // namespace zq
