// Styles 2 to 5 of the button: bevel, sheen, glass and flat.
#include "ui/ButtonStyles.h"

#include <algorithm>

namespace zq::button_detail {
namespace {

float Clamp255(float value) {
  return std::clamp(value, 0.0f, 255.0f);
}

// Per-component step; a zero span divides to no step at all.
float Step(int from, int to, float span) {
  return span == 0.0f ? 0.0f : static_cast<float>(to - from) / span;
}

struct Accumulator {
  float r, g, b;
  Colour Rounded() const { return Rgb(RoundEven(r), RoundEven(g), RoundEven(b)); }
  void Add(float dr, float dg, float db) {
    r = Clamp255(r + dr);
    g = Clamp255(g + dg);
    b = Clamp255(b + db);
  }
};

// ---- style 2 ----

void Bevel(PaintContext& ctx) {
  ButtonCanvas& c = ctx.canvas;
  const DerivedColours& d = ctx.d;
  const int W = ctx.W;
  const int H = ctx.H;
  c.DrawLine(2, 0, W - 2, 0, d.darkShadow);
  c.DrawLine(2, H - 1, W - 2, H - 1, d.darkShadow);
  c.DrawLine(0, 2, 0, H - 2, d.darkShadow);
  c.DrawLine(W - 1, 2, W - 1, H - 2, d.darkShadow);
  c.DrawPixel(1, 1, d.darkShadow);
  c.DrawPixel(1, H - 2, d.darkShadow);
  c.DrawPixel(W - 2, 1, d.darkShadow);
  c.DrawPixel(W - 2, H - 2, d.darkShadow);
  c.DrawPixel(1, 2, d.face);
  c.DrawPixel(2, 1, d.face);
  c.DrawLine(3, 2, W - 3, 2, d.highlight);
  c.DrawLine(2, 2, 2, H - 3, d.highlight);
  c.DrawPixel(3, 3, d.highlight);
  c.DrawLine(W - 3, 1, W - 3, H - 3, d.face);
  c.DrawLine(1, H - 3, W - 3, H - 3, d.face);
  c.DrawPixel(W - 4, H - 4, d.face);
  c.DrawLine(W - 2, 3, W - 2, H - 2, d.shadow);
  c.DrawLine(3, H - 2, W - 2, H - 2, d.shadow);
  c.DrawPixel(W - 3, H - 3, d.shadow);
  c.DrawPixel(2, H - 2, d.face);
  c.DrawPixel(2, H - 3, d.light);
  c.DrawPixel(W - 2, 2, d.face);
  c.DrawPixel(W - 3, 2, d.light);
}

void Style2Normal(PaintContext& ctx) {
  ctx.canvas.DrawBox(1, 1, ctx.W - 2, ctx.H - 2, ctx.d.light, false);
  Bevel(ctx);
  if (ctx.s.hover) {
    ctx.HoverFrame(ctx.p.rectColor);
  } else if (ctx.DefaultOrFocused()) {
    ctx.BlueFocusShapes(true);
  }
  ctx.CaptionNormal(ctx.d.text);
}

void Style2Pressed(PaintContext& ctx) {
  ButtonCanvas& c = ctx.canvas;
  const DerivedColours& d = ctx.d;
  const int W = ctx.W;
  const int H = ctx.H;
  auto s = [&](int n) { return ShiftColor(d.shadow, -n, ShiftMode::Additive); };
  c.DrawBox(1, 1, W - 2, H - 2, s(16), false);
  c.DrawLine(2, 0, W - 2, 0, d.darkShadow);
  c.DrawLine(2, H - 1, W - 2, H - 1, d.darkShadow);
  c.DrawLine(0, 2, 0, H - 2, d.darkShadow);
  c.DrawLine(W - 1, 2, W - 1, H - 2, d.darkShadow);
  c.DrawBox(1, 1, W - 2, H - 2, s(64), true);
  c.DrawBox(2, 2, W - 4, H - 4, s(32), true);
  c.DrawPixel(2, 2, s(64));
  c.DrawPixel(3, 3, s(32));
  c.DrawPixel(1, 1, d.darkShadow);
  c.DrawPixel(1, H - 2, d.darkShadow);
  c.DrawPixel(W - 2, 1, d.darkShadow);
  c.DrawPixel(W - 2, H - 2, d.darkShadow);
  c.DrawLine(W - 3, 1, W - 3, H - 3, d.shadow);
  c.DrawLine(1, H - 3, W - 2, H - 3, d.shadow);
  c.DrawPixel(W - 4, H - 4, d.shadow);
  c.DrawLine(W - 2, 3, W - 2, H - 2, s(16));
  c.DrawLine(3, H - 2, W - 2, H - 2, s(16));
  c.DrawPixel(W - 2, H - 3, s(32));
  c.DrawPixel(W - 3, H - 2, s(32));
  c.DrawPixel(2, H - 2, s(32));
  c.DrawPixel(2, H - 3, s(16));
  c.DrawPixel(1, H - 3, s(16));
  c.DrawPixel(W - 2, 2, s(32));
  c.DrawPixel(W - 3, 2, s(16));
  c.DrawPixel(W - 3, 1, s(16));
  ctx.CaptionPressed(d.light);
}

void Style2Disabled(PaintContext& ctx) {
  ButtonCanvas& c = ctx.canvas;
  c.DrawBox(1, 1, ctx.W - 2, ctx.H - 2, ctx.d.light, false);
  // The etched caption: shadow first, always on one line...
  c.DrawText(ctx.p.caption, ctx.s.textRect,
             Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextExpandTabs, ctx.d.shadow);
  Bevel(ctx);
  // ...then the highlight, offset through the pressed rectangle.
  if (c.TextWidth(ctx.p.caption) <= ctx.W) {
    ctx.CaptionPressed(ctx.d.highlight);
  } else {
    ctx.s.pressedTextRect.top = (ctx.H - c.LineHeight() * ctx.CaptionLines()) / 2 + 2;
    c.DrawText(ctx.p.caption, ctx.s.textRect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
               ctx.d.highlight);
  }
}

// ---- style 3 ----

void DrawSheenGradient(PaintContext& ctx, Colour mid, Colour frame, Colour end, int percent, bool flat) {
  ButtonCanvas& c = ctx.canvas;
  const int W = ctx.W;
  const int H = ctx.H;
  if (flat) {
    c.DrawBox(1, 1, W - 2, H - 2, mid, false);
    c.DrawRoundFrame(frame, frame);
    return;
  }
  const int rM = RedOf(mid), gM = GreenOf(mid), bM = BlueOf(mid);
  const int rE = RedOf(end), gE = GreenOf(end), bE = BlueOf(end);
  const float split = static_cast<float>(percent * H) / 100.0f;

  const float upper = split - 1.0f;
  Accumulator acc{static_cast<float>(rM), static_cast<float>(gM), static_cast<float>(bM)};
  for (int y = RoundEven(split); y >= 1; --y) {
    c.DrawLine(1, y, W - 1, y, acc.Rounded());
    acc.Add(Step(rM, rE, upper), Step(gM, gE, upper), Step(bM, bE, upper));
  }

  auto highlight = [&](int i, int divisor) {
    auto component = [&](int e) { return std::max(0, 255 - ((255 - e) * i) / divisor); };
    return Rgb(component(rE), component(gE), component(bE));
  };
  const int divisor1 = W - 10;
  if (divisor1 != 0) {
    for (int i = 0; i <= W - 4; ++i) c.DrawPixel(i + 2, 1, highlight(i, divisor1));
  }
  const int divisor2 = W - (2 * W) / 3 - 2;
  if (divisor2 != 0) {
    for (int i = 0; i <= (W - W / 3) - 2; ++i) c.DrawPixel(i + 2, 2, highlight(i, divisor2));
  }

  const float lower = static_cast<float>(H) - split - 4.0f;
  const int r1 = RoundEven(split + 1.0f);
  const int r2 = RoundEven(split + 2.0f);
  c.DrawLine(1, r1, W - 1, r1, mid);
  c.DrawLine(1, r2, W - 1, r2, mid);
  acc = Accumulator{static_cast<float>(rM), static_cast<float>(gM), static_cast<float>(bM)};
  for (int y = RoundEven(split + 3.0f); y <= H - 4; ++y) {
    c.DrawLine(1, y, W - 1, y, acc.Rounded());
    acc.Add(Step(rM, rE, lower), Step(gM, gE, lower), Step(bM, bE, lower));
  }

  if (H < 10) return;
  Colour c0 = 0;
  if (!c.PixelAt(2, H - 10, &c0)) c0 = 0;
  c.DrawLine(1, H - 9, W - 1, H - 9, c0);
  c.DrawLine(1, H - 8, W - 1, H - 8, c0);
  const int r5 = RoundEven(split + 5.0f);
  c.DrawLine(1, r5, W - 1, r5, mid);
  c.DrawLine(1, H - 3, W - 2, H - 3, c0);
  c.DrawLine(1, H - 2, W - 2, H - 2, c0);
  c.DrawRoundFrame(frame, frame);
}

void PaintStyle3Looks(PaintContext& ctx) {
  const ButtonProperties& p = ctx.p;
  const bool scheme1 = p.colorScheme == 1;
  if (!p.enabled) {
    ctx.canvas.DrawBox(1, 1, ctx.W - 2, ctx.H - 2, Rgb(241, 242, 237), false);
    ctx.canvas.DrawRoundFrame(Rgb(204, 204, 202), Rgb(204, 204, 202));
    ctx.CaptionNormal(Rgb(171, 168, 153));
  } else if (ctx.s.visualState == 0) {
    DrawSheenGradient(ctx, p.midColor, scheme1 ? Rgb(183, 183, 183) : Rgb(1, 109, 1), p.endColor, p.percent,
                      false);
    if (ctx.s.hover) {
      DrawSheenGradient(ctx, p.mouseMoveMidColor, scheme1 ? Rgb(82, 134, 182) : Rgb(1, 109, 1),
                        p.mouseMoveEndColor, p.percent, false);
    }
    if (ctx.DefaultOrFocused()) ctx.Focus();
    ctx.CaptionNormal(ctx.d.text);
  } else if (ctx.s.visualState == 2) {
    if (scheme1) {
      DrawSheenGradient(ctx, p.mouseDownMidColor, Rgb(203, 130, 62), p.mouseDownEndColor, p.percent, false);
    } else {
      DrawSheenGradient(ctx, p.mouseDownMidColor, Rgb(84, 157, 84), p.mouseDownEndColor, p.percent, true);
    }
    ctx.CaptionPressed(ctx.d.text);
    if (ctx.s.hasFocus) ctx.Focus();
  }
}

// ---- style 4 ----

void DrawGlassGradient(PaintContext& ctx, Colour mid, Colour frame, Colour end, int percent) {
  ButtonCanvas& c = ctx.canvas;
  const int W = ctx.W;
  const int H = ctx.H;
  const int rM = RedOf(mid), gM = GreenOf(mid), bM = BlueOf(mid);
  const int rE = RedOf(end), gE = GreenOf(end), bE = BlueOf(end);
  const float split = static_cast<float>(percent * H) / 100.0f;

  const float upper = split - 1.0f;
  const int sr = RoundEven(Step(rM, rE, upper));
  const int sg = RoundEven(Step(gM, gE, upper));
  const int sb = RoundEven(Step(bM, bE, upper));
  int n = RoundEven(split);
  if (n > 2) {
    int r = rM + 10, g = gM + 10, b = bM + 10;
    do {
      c.DrawLine(1, n, W - 1, n, Rgb(r, g, b));
      r = std::clamp(r + sr, 0, 255);
      g = std::clamp(g + sg, 0, 255);
      b = std::clamp(b + sb, 0, 255);
      --n;
    } while (n > 2);
  }

  const float lower = static_cast<float>(H) - split - 4.0f;
  const int tr = RoundEven(Step(rM, rE, lower));
  const int tg = RoundEven(Step(gM, gE, lower));
  const int tb = RoundEven(Step(bM, bE, lower));
  const int solidTo = RoundEven(split + 0.27f * static_cast<float>(H));
  for (int y = RoundEven(split + 1.0f); y <= solidTo; ++y) c.DrawLine(1, y, W - 1, y, mid);
  int r = rM + 5, g = gM + 5, b = bM + 5;
  for (int y = RoundEven(static_cast<float>((percent + 27) * H) / 100.0f); y <= H - 4; ++y) {
    c.DrawLine(1, y, W - 1, y, Rgb(r, g, b));
    r = std::clamp(r + tr, 0, 255);
    g = std::clamp(g + tg, 0, 255);
    b = std::clamp(b + tb, 0, 255);
  }

  c.DrawBox(1, 1, W - 2, H - 2, Rgb(211, 229, 255), true);
  c.DrawBox(2, 2, W - 4, H - 4, Rgb(201, 216, 255), true);
  c.DrawLine(1, H - 3, W - 1, H - 3, Rgb(207, 234, 255));
  c.DrawRoundFrame(frame, frame);
}

void PaintStyle4Looks(PaintContext& ctx) {
  const ButtonProperties& p = ctx.p;
  const Colour frame = Rgb(81, 107, 148);
  if (!p.enabled) {
    DrawGlassGradient(ctx, Rgb(198, 218, 255), Rgb(128, 140, 162), Rgb(232, 242, 255), 53);
    ctx.CaptionNormal(Rgb(171, 168, 153));
  } else if (ctx.s.visualState == 0) {
    const bool hover = ctx.s.hover;
    DrawGlassGradient(ctx, hover ? p.mouseMoveMidColor : p.midColor, frame,
                      hover ? p.mouseMoveEndColor : p.endColor, p.percent);
    if (ctx.DefaultOrFocused()) ctx.Focus();
    ctx.CaptionNormal(ctx.d.text);
  } else if (ctx.s.visualState == 2) {
    DrawGlassGradient(ctx, p.mouseDownMidColor, frame, p.mouseDownEndColor, p.percent);
    ctx.CaptionPressed(ctx.d.text);
    if (ctx.s.hasFocus) ctx.Focus();
  }
}

// ---- style 5 ----

void FlatBox(PaintContext& ctx, Colour frame, Colour fill) {
  ctx.canvas.DrawBox(0, 0, ctx.W, ctx.H, frame, true);
  ctx.canvas.DrawBox(1, 1, ctx.W - 2, ctx.H - 2, fill, false);
}

void PaintStyle5Looks(PaintContext& ctx) {
  const ButtonProperties& p = ctx.p;
  if (!p.enabled) {
    if (p.colorScheme == 3) {
      FlatBox(ctx, p.officeXpFrameColor, p.officeXpFillColor);
      ctx.CaptionNormal(p.officeXpFrameColor);
    } else {
      FlatBox(ctx, Rgb(188, 188, 64), Rgb(238, 239, 208));
      ctx.CaptionNormal(Rgb(188, 188, 64));
    }
  } else if (ctx.s.visualState == 0) {
    if (ctx.s.hover) {
      FlatBox(ctx, p.officeXpMousemoveFrameColor, p.officeXpMousemoveFillColor);
    } else {
      FlatBox(ctx, p.officeXpFrameColor, p.officeXpFillColor);
    }
    if (ctx.s.hasFocus) ctx.Focus();
    ctx.CaptionNormal(ctx.d.text);
  } else if (ctx.s.visualState == 2) {
    const Colour cap = Rgb(250, 250, 250);
    const Colour fill = p.colorScheme == 3
                            ? ShiftColorCapped(p.officeXpMousemoveFillColor, -40, -30, -15, cap)
                            : ShiftColorCapped(p.officeXpMousemoveFillColor, -30, -30, -60, cap);
    FlatBox(ctx, p.officeXpMousemoveFrameColor, fill);
    ctx.CaptionPressed(ctx.d.text);
    if (ctx.s.hasFocus) ctx.Focus();
  }
}

}  // namespace

void PaintStyle2(PaintContext& ctx) {
  if (!ctx.p.enabled) {
    Style2Disabled(ctx);
  } else if (ctx.s.visualState == 0) {
    Style2Normal(ctx);
  } else if (ctx.s.visualState == 2) {
    Style2Pressed(ctx);
  }
}

void PaintStyle3(PaintContext& ctx) {
  PaintStyle3Looks(ctx);
}
void PaintStyle4(PaintContext& ctx) {
  PaintStyle4Looks(ctx);
}
void PaintStyle5(PaintContext& ctx) {
  PaintStyle5Looks(ctx);
}

}  // namespace zq::button_detail
