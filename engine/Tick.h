#pragma once
// The timer tick: two phases that alternate, told apart only by the visibility of the region
// image FormRgn1. A decision phase steers and prepares the next frame behind the back buffer; the
// following move phase shows that frame, gives the window its outline and moves the window, so
// picture, outline and position change together.
#include "common/Geometry.h"
#include "engine/PoseCode.h"

#include <cstdint>
#include <optional>

namespace nyarumi {

// What the tick reads and moves; the main window implements it.
class ITickHost {
public:
  virtual ~ITickHost() = default;

  virtual CharacterState& State() = 0;

  virtual bool FormRgnVisible() const = 0;
  virtual void SetFormRgnVisible(bool AVisible) = 0;

  // Empty when the platform could not tell.
  virtual std::optional<TPoint> CursorPos() = 0;
  // True when a window of this program has the keyboard focus.
  virtual bool HasFocus() = 0;
  // The foreground window's rectangle; empty when there is no foreground window.
  virtual std::optional<TRect> ForegroundRect() = 0;

  virtual std::int32_t WindowLeft() const = 0;
  virtual std::int32_t WindowTop() const = 0;
  // Each moves the window at once, keeping its size.
  virtual void SetWindowLeft(std::int32_t ALeft) = 0;
  virtual void SetWindowTop(std::int32_t ATop) = 0;

  // FRAME_RECT of the front buffer onto the back buffer.
  virtual void CopyFrontToBack() = 0;
  // FRAME_RECT of the front buffer onto FormRgn1's picture.
  virtual void CopyFrontToFormRgn() = 0;
  // Repaint every pending area of the window before returning.
  virtual void UpdateWindow() = 0;
  // Give the window a copy of FormRgn1's region as its outline. May throw.
  virtual void ApplyRegion() = 0;
  // One frame step on State(). May throw.
  virtual void AnimProc() = 0;
};

// The body of the timer handler. Exceptions propagate; the phase rule alone decides what the
// next tick does: a failed move phase leaves FormRgn1 visible and the window unmoved, so the
// decision phase runs again; a failed frame step leaves FormRgn1 hidden with its old picture and
// region, which the next move phase then shows.
void AnimTick(ITickHost& AHost);

} // namespace nyarumi
