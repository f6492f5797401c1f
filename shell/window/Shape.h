#pragma once
// A rectangle shape: filled with its brush and outlined with its pen.
#include "shell/window/Control.h"

namespace nyarumi {

class TShape : public TControl {
public:
  explicit TShape(TComponent* AOwner);
  // Change them, then Invalidate() to show the change.
  TBrush Brush;
  TPen Pen;
  void Paint(nyarumi::Canvas& ACanvas) override;
};

} // namespace nyarumi
