#include "shell/window/Shape.h"

namespace nyarumi {

TShape::TShape(TComponent* AOwner) : TControl(AOwner) {
  FWidth = 65;
  FHeight = 65;
}

void TShape::Paint(nyarumi::Canvas& ACanvas) {
  const std::optional<TRgb> pen =
      Pen.Style == TPenStyle::psClear ? std::nullopt : ColorToRgb(Pen.Color);
  const std::optional<TRgb> brush =
      Brush.Style == TBrushStyle::bsClear ? std::nullopt : ColorToRgb(Brush.Color);
  if (pen || brush) {
    ACanvas.DrawRectangle(BoundsRect(), pen, brush);
  }
}

} // namespace nyarumi
