#include "ui/ButtonModel.h"
#include "ui/ButtonStyles.h"

namespace zq {

void SetSchemeColors(ButtonProperties& p, DerivedColours& d) {
  if (p.colorScheme == 2) {
    d.face = p.backColor;
    d.light = ShiftColor(p.backColor, 31, ShiftMode::Additive);
    d.highlight = ShiftColor(p.backColor, 47, ShiftMode::Additive);
    d.shadow = ShiftColor(p.backColor, -64, ShiftMode::Additive);
    d.darkShadow = ShiftColor(p.backColor, -192, ShiftMode::Additive);
    d.text = p.foreColor;
  } else if (p.colorScheme == 3) {
    d.face = Rgb(192, 192, 192);
    d.light = Rgb(223, 223, 223);
    d.highlight = Rgb(255, 255, 255);
    d.shadow = Rgb(128, 128, 128);
    d.darkShadow = Rgb(0, 0, 0);
    d.text = Rgb(0, 0, 0);
    p.officeXpFillColor = Rgb(236, 233, 216);
    p.officeXpFrameColor = Rgb(172, 169, 154);
    p.officeXpMousemoveFillColor = Rgb(193, 210, 238);
    p.officeXpMousemoveFrameColor = Rgb(49, 105, 198);
  } else {
    d.face = SystemColour::kButtonFace;
    d.light = SystemColour::kLight3D;
    d.highlight = SystemColour::kHighlight;
    d.shadow = SystemColour::kShadow;
    d.darkShadow = SystemColour::kDarkShadow;
    d.text = p.foreColor;
    if (p.buttonType == 4) {
      p.midColor = Rgb(197, 197, 197);
      p.endColor = Rgb(238, 238, 238);
      p.mouseMoveMidColor = Rgb(123, 167, 211);
      p.mouseMoveEndColor = Rgb(210, 245, 251);
      p.mouseDownMidColor = Rgb(227, 167, 105);
      p.mouseDownEndColor = Rgb(252, 220, 199);
    }
  }
}

void ApplyButtonType4Preset(ButtonProperties& p) {
  p.percent = 53;
  p.midColor = Rgb(124, 171, 255);
  p.endColor = Rgb(191, 211, 255);
  p.mouseMoveMidColor = Rgb(157, 203, 255);
  p.mouseMoveEndColor = Rgb(209, 231, 255);
  p.mouseDownMidColor = Rgb(100, 153, 255);
  p.mouseDownEndColor = Rgb(191, 211, 255);
}

QChar AccessKeyOf(const QString& caption) {
  if (caption.size() < 2) return QChar();
  qsizetype amp = caption.indexOf(QLatin1Char('&'));
  if (amp < 0 || amp + 1 >= caption.size()) return QChar();
  QChar candidate = caption.at(amp + 1);
  if (candidate == QLatin1Char('&')) {
    // "&&" is a literal ampersand: look for the next marker after it.
    amp = caption.indexOf(QLatin1Char('&'), amp + 2);
    if (amp < 0 || amp + 1 >= caption.size()) return QChar();
    candidate = caption.at(amp + 1);
    if (candidate == QLatin1Char('&')) return QChar();
  }
  return candidate.toLower();
}

namespace button_detail {

int PaintContext::CaptionLines() const {
  return W > 0 ? canvas.TextWidth(p.caption) / W + 1 : 1;
}

void PaintContext::CaptionNormal(Colour colour) {
  if (canvas.TextWidth(p.caption) <= W) {
    // A single-line caption is centred in the full height, whatever an
    // earlier wrapped caption left in the rectangle.
    s.textRect.top = 0;
    s.pressedTextRect.top = 2;
    canvas.DrawText(p.caption, s.textRect,
                    Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextExpandTabs, colour);
    return;
  }
  s.textRect.top = (H - canvas.LineHeight() * CaptionLines()) / 2;
  canvas.DrawText(p.caption, s.textRect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, colour);
}

void PaintContext::CaptionPressed(Colour colour) {
  if (canvas.TextWidth(p.caption) <= W) {
    s.textRect.top = 0;
    s.pressedTextRect.top = 2;
    canvas.DrawText(p.caption, s.pressedTextRect,
                    Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextExpandTabs, colour);
    return;
  }
  s.textRect.top = (H - canvas.LineHeight() * CaptionLines()) / 2;
  s.pressedTextRect.top = s.textRect.top + 2;
  canvas.DrawText(p.caption, s.pressedTextRect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, colour);
}

void PaintContext::HoverFrame(Colour colour) {
  canvas.DrawBox(2, 1, W - 4, H - 2, colour, true);
  canvas.DrawLine(1, 2, 1, H - 2, colour);
  canvas.DrawLine(3, 2, W - 3, 2, colour);
  canvas.DrawLine(W - 2, 2, W - 2, H - 2, colour);
  canvas.DrawLine(3, H - 3, W - 3, H - 3, colour);
}

void PaintContext::BlueFocusShapes(bool wideThirdLine) {
  canvas.DrawBox(1, 2, W - 2, H - 4, Rgb(140, 174, 231), true);
  canvas.DrawLine(2, H - 2, W - 2, H - 2, Rgb(107, 130, 239));
  canvas.DrawLine(2, 1, W - 2, 1, Rgb(206, 231, 255));
  if (wideThirdLine) {
    canvas.DrawLine(1, 2, W - 1, 2, Rgb(189, 215, 247));
  } else {
    canvas.DrawLine(2, 2, W - 2, 2, Rgb(189, 215, 247));
  }
  canvas.DrawLine(2, 3, 2, H - 3, Rgb(181, 209, 240));
  canvas.DrawLine(W - 3, 3, W - 3, H - 3, Rgb(181, 209, 240));
}

namespace {

const Colour kFrameBlue = Rgb(0, 60, 115);
const Colour kFrameCorner = Rgb(16, 77, 123);

void Style1Normal(PaintContext& ctx) {
  ButtonCanvas& c = ctx.canvas;
  const int W = ctx.W;
  const int H = ctx.H;
  if (ctx.p.colorScheme == 2 || ctx.p.colorScheme == 3) {
    const Colour base = ShiftColor(ctx.d.face, 48, ShiftMode::Proportional);
    const float k = 25.0f / static_cast<float>(H);
    for (int i = 1; i <= H - 2; ++i) {
      c.DrawLine(0, i, W, i,
                 ShiftColor(base, -RoundEven(k * static_cast<float>(i)), ShiftMode::Proportional));
    }
  } else if (ctx.p.xpType == 1) {
    c.DrawFadeToWhite(198, 197, 215, H - 2, 1, -1);
  } else if (ctx.p.xpType == 2) {
    Colour colour = Rgb(242, 237, 218);
    for (int y = H - 2; y >= 1; --y) {
      colour = ShiftColor(colour, 1, ShiftMode::Additive);
      c.DrawLine(1, y, W - 2, y, colour);
    }
  } else if (ctx.p.xpType == 3) {
    c.DrawFadeToWhite(236, 235, 230, H - 2, 1, -1);
  }
  c.DrawRoundFrame(kFrameBlue, kFrameCorner);

  const Colour hoverColour = ctx.p.xpType == 2 ? Rgb(228, 144, 80) : ctx.p.rectColor;
  if (ctx.s.hover) {
    // No dotted rectangle while hovering.
    ctx.HoverFrame(hoverColour);
  } else if (ctx.DefaultOrFocused()) {
    if (ctx.p.xpType == 1 || ctx.p.xpType == 3) {
      ctx.BlueFocusShapes(false);
    } else if (ctx.p.xpType == 2) {
      const Colour green = Rgb(122, 184, 98);
      c.DrawBox(1, 2, W - 2, H - 4, green, true);
      c.DrawLine(2, H - 2, W - 2, H - 2, green);
      c.DrawLine(2, 1, W - 2, 1, green);
      c.DrawLine(2, 2, W - 2, 2, green);
      c.DrawLine(2, 3, 2, H - 3, green);
      c.DrawLine(W - 3, 3, W - 3, H - 3, green);
    }
    ctx.Focus();
  }
  ctx.CaptionNormal(ctx.d.text);
}

void Style1Pressed(PaintContext& ctx) {
  ButtonCanvas& c = ctx.canvas;
  const int W = ctx.W;
  const int H = ctx.H;
  if (ctx.p.xpType == 1) {
    c.DrawFadeToWhite(171, 170, 188, 1, H - 2, 1);
  } else if (ctx.p.xpType == 2) {
    const float k = 15.0f / static_cast<float>(H);
    const Colour base =
        ShiftColor(ShiftColor(ctx.d.face, 48, ShiftMode::Proportional), -32, ShiftMode::Proportional);
    for (int i = 1; i <= H; ++i) {
      c.DrawLine(0, H - i, W, H - i,
                 ShiftColor(base, -RoundEven(k * static_cast<float>(i)), ShiftMode::Proportional));
    }
  } else if (ctx.p.xpType == 3) {
    c.DrawFadeToWhite(224, 224, 216, 1, H - 2, 1);
  }
  ctx.CaptionPressed(ctx.d.text);
  c.DrawRoundFrame(kFrameBlue, kFrameCorner);
  if (ctx.s.hasFocus) ctx.Focus();
}

void Style1Disabled(PaintContext& ctx) {
  ctx.canvas.DrawBox(0, 0, ctx.W, ctx.H, Rgb(244, 244, 234), false);
  ctx.CaptionNormal(Rgb(161, 162, 146));
  ctx.canvas.DrawRoundFrame(Rgb(201, 199, 186), Rgb(201, 199, 186));
}

}  // namespace

void PaintStyle1(PaintContext& ctx) {
  if (!ctx.p.enabled) {
    Style1Disabled(ctx);
  } else if (ctx.s.visualState == 0) {
    Style1Normal(ctx);
  } else if (ctx.s.visualState == 2) {
    Style1Pressed(ctx);
  }
}

}  // namespace button_detail

void PaintButton(ButtonCanvas& canvas, const ButtonProperties& p, const DerivedColours& d,
                 ButtonPaintState& s) {
  const int W = canvas.W();
  const int H = canvas.H();
  if (H == 0) return;
  button_detail::PaintContext ctx{canvas, p, d, s, W, H};
  // Focus decoration follows ShowFocusRect for the length of this repaint.
  const bool hadFocus = s.hasFocus;
  if (hadFocus) s.hasFocus = p.showFocusRect;
  canvas.Clear(d.face);
  switch (p.buttonType) {
    case 1:
      button_detail::PaintStyle1(ctx);
      break;
    case 2:
      button_detail::PaintStyle2(ctx);
      break;
    case 3:
      button_detail::PaintStyle3(ctx);
      break;
    case 4:
      button_detail::PaintStyle4(ctx);
      break;
    case 5:
      button_detail::PaintStyle5(ctx);
      break;
    default:
      if (p.enabled && s.visualState == 0) ctx.CaptionNormal(d.text);
      break;
  }
  s.hasFocus = hadFocus;
}

}  // namespace zq
