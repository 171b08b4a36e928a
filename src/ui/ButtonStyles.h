#pragma once

#include "ui/ButtonModel.h"

namespace zq::button_detail {

// Everything one repaint works with, and the helpers every style shares.
struct PaintContext {
  ButtonCanvas& canvas;
  const ButtonProperties& p;
  const DerivedColours& d;
  ButtonPaintState& s;
  int W;
  int H;

  // Default-or-focused: the button is the container's default (and focus
  // decoration is shown) or it holds the focus.
  bool DefaultOrFocused() const { return (p.showFocusRect && s.isDefault) || s.hasFocus; }
  void CaptionNormal(Colour colour);
  void CaptionPressed(Colour colour);
  void Focus() { canvas.DrawFocusRect(s.focusRect, d.text); }
  // The frame of the hover look of style 1, also used by style 2.
  void HoverFrame(Colour colour);
  // The six light-blue focus shapes of style 1; style 2 runs its third line wider.
  void BlueFocusShapes(bool wideThirdLine);
  int CaptionLines() const;
};

void PaintStyle1(PaintContext& ctx);
void PaintStyle2(PaintContext& ctx);
void PaintStyle3(PaintContext& ctx);
void PaintStyle4(PaintContext& ctx);
void PaintStyle5(PaintContext& ctx);

}  // namespace zq::button_detail
