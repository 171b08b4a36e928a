#pragma once

#include <QRegion>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "ui/ButtonCanvas.h"
#include "ui/ButtonModel.h"

namespace zq {

class PropertyBag;

// Property errors, as numbers the forms know them by.
inline constexpr int kErrorNone = 0;
inline constexpr int kErrorInvalidPropertyValue = 380;
inline constexpr int kErrorReadOnlyAtRunTime = 382;

// Window region of a button: styles 3 and 4 cut three pixels off each corner.
QRegion MakeButtonRegion(int buttonType, int W, int H);

// The push button of every dialog: paints its whole surface itself into a
// pixel surface of its own and shows that surface.
class Command : public QWidget {
  Q_OBJECT

 public:
  explicit Command(QWidget* parent = nullptr);
  // A button as this program's forms have it: the caption, XpType 3, 57 by
  // 25 pixels (forms widen it to 65, 73, 81 or 89).
  Command(const QString& caption, QWidget* parent);

  // A new instance as the form designer makes it (caption = the instance's name).
  void InitNew(const QString& instanceName);
  // Load from and save to a form's stored data.
  void ReadProperties(PropertyBag& bag);
  void WriteProperties(PropertyBag& bag) const;

  Colour BackColor() const { return p_.backColor; }
  void SetBackColor(Colour colour);
  Colour ForeColor() const { return p_.foreColor; }
  void SetForeColor(Colour colour);
  int Percent() const { return p_.percent; }
  // kErrorInvalidPropertyValue (and nothing changed) outside 0..100.
  int SetPercent(int percent);
  Colour MidColor() const { return p_.midColor; }
  void SetMidColor(Colour colour) { SetColour(p_.midColor, colour); }
  Colour EndColor() const { return p_.endColor; }
  void SetEndColor(Colour colour) { SetColour(p_.endColor, colour); }
  Colour MouseMoveMidColor() const { return p_.mouseMoveMidColor; }
  void SetMouseMoveMidColor(Colour colour) { SetColour(p_.mouseMoveMidColor, colour); }
  Colour MouseMoveEndColor() const { return p_.mouseMoveEndColor; }
  void SetMouseMoveEndColor(Colour colour) { SetColour(p_.mouseMoveEndColor, colour); }
  Colour MouseDownMidColor() const { return p_.mouseDownMidColor; }
  void SetMouseDownMidColor(Colour colour) { SetColour(p_.mouseDownMidColor, colour); }
  Colour MouseDownEndColor() const { return p_.mouseDownEndColor; }
  void SetMouseDownEndColor(Colour colour) { SetColour(p_.mouseDownEndColor, colour); }
  Colour OfficeXpFillColor() const { return p_.officeXpFillColor; }
  void SetOfficeXpFillColor(Colour colour) { SetColour(p_.officeXpFillColor, colour); }
  Colour OfficeXpFrameColor() const { return p_.officeXpFrameColor; }
  void SetOfficeXpFrameColor(Colour colour) { SetColour(p_.officeXpFrameColor, colour); }
  Colour OfficeXpMousemoveFillColor() const { return p_.officeXpMousemoveFillColor; }
  void SetOfficeXpMousemoveFillColor(Colour colour) { SetColour(p_.officeXpMousemoveFillColor, colour); }
  Colour OfficeXpMousemoveFrameColor() const { return p_.officeXpMousemoveFrameColor; }
  void SetOfficeXpMousemoveFrameColor(Colour colour) { SetColour(p_.officeXpMousemoveFrameColor, colour); }
  bool Enabled() const { return p_.enabled; }
  void SetEnabled(bool enabled);
  QFont Font() const { return canvas_.Font(); }
  void SetFont(const QFont& font);
  // The window handle; writing it always fails at run time.
  quintptr HWnd() const;
  int SetHWnd(qint32 value);
  int ButtonType() const { return p_.buttonType; }
  void SetButtonType(int type);
  QString Caption() const { return p_.caption; }
  void SetCaption(const QString& caption);
  int ColorScheme() const { return p_.colorScheme; }
  void SetColorScheme(int scheme);
  int XpType() const { return p_.xpType; }
  void SetXpType(int type);
  // Stored only; the colour shows at the next repaint.
  Colour RectColor() const { return p_.rectColor; }
  void SetRectColor(Colour colour) { p_.rectColor = colour; }
  bool ShowFocusRect() const { return p_.showFocusRect; }
  void SetShowFocusRect(bool show);
  // The container's default button.
  void SetDefault(bool isDefault);

  QChar AccessKey() const { return accessKey_; }
  const DerivedColours& Colours() const { return colours_; }
  const ButtonProperties& Properties() const { return p_; }

  // The single repaint procedure.
  void DrawButton(int state, bool force);

  // Visual state and surface, for the form and for tests.
  int VisualState() const { return paint_.visualState; }
  bool IsHover() const { return paint_.hover; }
  bool HasFocusFlag() const { return paint_.hasFocus; }
  bool HoverTimerActive() const { return timer1_.isActive(); }
  // The surface at the widget's current size (a hidden widget gets its
  // resize event only when shown, so the size is caught up here).
  const ButtonCanvas& Surface() const;
  const ButtonPaintState& PaintState() const { return paint_; }
  int RepaintCount() const { return repaintCount_; }

  // One tick of the hover timer; the pointer position comes from the source
  // (the real cursor unless a test replaced it).
  void Timer1Tick();
  static void SetPointerSource(std::function<QPoint()> source);

 signals:
  void Click();
  void KeyDown(short& keyCode, short& shift);
  void KeyPress(short& keyAscii);
  void KeyUp(short& keyCode, short& shift);
  void MouseDown(short& button, short& shift, float& x, float& y);
  void MouseMove(short& button, short& shift, float& x, float& y);
  void MouseUp(short& button, short& shift, float& x, float& y);
  void MouseOut();

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void SetColour(Colour& field, Colour colour);
  void ApplyScheme();
  void ApplyAccessKey();
  void HandleResize();
  void EnsureSized();
  void OnClick();
  void OnMouseDown(short button, short shift, float x, float y);
  void OnMouseUp(short button, short shift, float x, float y);
  void OnMouseMove(short button, short shift, float x, float y);
  bool Inside(float x, float y) const;

  ButtonProperties p_;
  DerivedColours colours_;
  ButtonPaintState paint_;
  ButtonCanvas canvas_;
  QTimer timer1_;
  short lastButton_ = 1;
  short lastKey_ = 0;
  QString lastCaption_;
  QChar accessKey_;
  int shortcutId_ = 0;
  qint32 storedHWnd_ = 0;
  bool suppressClick_ = false;
  int repaintCount_ = 0;
};

}  // namespace zq
