#pragma once
// The steering decision of one decision phase: from the cursor, the focus, the foreground window
// and the window's position it picks a horizontal and a vertical direction, updates facing, slope
// and activity, and sets the steps the next move phase applies.
#include "common/Geometry.h"
#include "engine/PoseCode.h"

#include <cstdint>
#include <optional>

namespace nyarumi {

struct TSteerInputs {
  // Screen position of the cursor; empty when it could not be read.
  std::optional<TPoint> Cursor;
  // True when a window of this program has the keyboard focus.
  bool Focused = false;
  // Left, top, right and bottom of the window the user works in; empty when there is none.
  // Only looked at when Focused is false.
  std::optional<TRect> Foreground;
  // The main window's top-left corner in screen pixels.
  std::int32_t Left = 0;
  std::int32_t Top = 0;
};

// Missing inputs: without a cursor position there is nothing to chase and no edge to pick, so
// the cursor gives h = 0 and v = 0 (as if it sat on her centre) and edge seeking is skipped;
// without a foreground window there is no edge seeking. The change of activity, slope and steps
// still run, so a running character runs on, or stops on frame 3 or 6, as usual.
void Steer(CharacterState& S, const TSteerInputs& AIn);

} // namespace nyarumi
