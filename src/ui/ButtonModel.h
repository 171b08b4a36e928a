#pragma once

#include <QChar>
#include <QString>

#include "ui/ButtonCanvas.h"
#include "ui/ColorMath.h"

namespace zq {

// Every stored property of the button with its stored default (the value
// assumed when stored data lacks the key and not written out when saving).
struct ButtonProperties {
  Colour backColor = SystemColour::kButtonFace;
  Colour foreColor = SystemColour::kButtonText;
  int percent = 16;
  Colour midColor = Rgb(116, 200, 115);
  Colour endColor = Rgb(215, 246, 215);
  Colour mouseMoveMidColor = Rgb(53, 163, 51);
  Colour mouseMoveEndColor = Rgb(245, 252, 244);
  Colour mouseDownMidColor = Rgb(132, 208, 133);
  Colour mouseDownEndColor = Rgb(0, 0, 0);
  Colour officeXpFillColor = Rgb(222, 222, 160);
  Colour officeXpFrameColor = Rgb(188, 188, 66);
  Colour officeXpMousemoveFillColor = Rgb(220, 220, 186);
  Colour officeXpMousemoveFrameColor = Rgb(127, 128, 1);
  bool enabled = true;
  int buttonType = 1;
  QString caption = QStringLiteral("wwbutton");
  int colorScheme = 1;
  int xpType = 1;
  Colour rectColor = Rgb(250, 195, 88);
  bool showFocusRect = true;
};

// Colours derived from the scheme by SetSchemeColors.
struct DerivedColours {
  Colour face = SystemColour::kButtonFace;
  Colour light = SystemColour::kLight3D;
  Colour highlight = SystemColour::kHighlight;
  Colour shadow = SystemColour::kShadow;
  Colour darkShadow = SystemColour::kDarkShadow;
  Colour text = SystemColour::kButtonText;
};

// What a repaint needs besides the properties; the caption layout writes the
// two text rectangles back.
struct ButtonPaintState {
  int visualState = 0;  // 0 normal, 2 pressed
  bool hover = false;
  bool hasFocus = false;
  bool isDefault = false;
  EdgeRect textRect;
  EdgeRect pressedTextRect{2, 2, 0, 0};
  EdgeRect focusRect;
};

// Derives the six colours from the scheme; scheme 3 also sets the four Office
// colours and scheme 1 with style 4 the six gradient colours.
void SetSchemeColors(ButtonProperties& properties, DerivedColours& colours);

// The colours and percentage that choosing style 4 sets.
void ApplyButtonType4Preset(ButtonProperties& properties);

// Access key of a caption ("&Ok" gives 'o'); a null QChar when there is none.
QChar AccessKeyOf(const QString& caption);

// Paints the whole surface for the given state (the body of DrawButton once
// it has decided to repaint). The surface must already have the button's size.
void PaintButton(ButtonCanvas& canvas, const ButtonProperties& properties, const DerivedColours& colours,
                 ButtonPaintState& state);

}  // namespace zq
