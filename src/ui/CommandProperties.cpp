// Loading and saving the button's properties in a form's stored data.
#include "ui/Command.h"
#include "ui/PropertyBag.h"
#include "ui/UiFont.h"

namespace zq {
namespace {

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

}  // namespace zq
