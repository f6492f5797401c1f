#include "engine/Steer.h"

#include <cmath>
#include <cstdlib>

namespace nyarumi {
namespace {

// 64-bit so that far-off coordinates and window edges cannot overflow the differences.
using Coord = std::int64_t;

// -1 or +1: the sign of a non-zero distance, taken as d / |d| rounded to the nearest integer.
int Direction(Coord d) {
  const double x = static_cast<double>(d);
  return static_cast<int>(std::lround(x / std::fabs(x)));
}

void ApplyFacing(CharacterState& S, int h) {
  if (h < 0) {
    FaceLeft(S);
  } else if (h > 0) {
    FaceRight(S);
  }
}

bool StrictlyInside(const TRect& r, const TPoint& p) {
  return r.Left < p.X && p.X < r.Right && r.Top < p.Y && p.Y < r.Bottom;
}

// Where to go to wait just outside the nearer side edge; 0 when there. The two bands are not
// mirror images (right: R+14..R+34, turning at R+30; left: L-40..L-20, turning at L-30); each is
// wider than the largest step, so a running character cannot jump over it.
int EdgeDirection(const TRect& r, Coord x, Coord cx) {
  const Coord L = r.Left;
  const Coord R = r.Right;
  if (std::llabs(x - L) <= std::llabs(x - R)) { // a tie goes to the left edge
    if (L - 40 < cx && cx < L - 20) {
      return 0;
    }
    return cx < L - 30 ? +1 : -1;
  }
  if (R + 14 < cx && cx < R + 34) {
    return 0;
  }
  return cx > R + 30 ? -1 : +1;
}

// Starts or stops a run; returns h, which a run with nothing to chase turns into straight ahead.
int ChangeActivity(CharacterState& S, int h, int v) {
  const bool standing = IsStanding(S.PoseMode);
  if (h == 0 && v == 0 && !standing) {
    const std::int32_t frame = FrameNumber(S.PoseCode);
    if (frame == 3 || frame == 6) {
      StopRunning(S);
      return 0;
    }
    return IsFacingLeft(S.PoseCode) ? -1 : +1;
  }
  if (standing && (h != 0 || v != 0)) {
    StartRunning(S);
  }
  return h;
}

TSlope SlopeOf(int v) {
  if (v < 0) {
    return TSlope::Up;
  }
  return v > 0 ? TSlope::Down : TSlope::Level;
}

void SetSteps(CharacterState& S, int h, int v) {
  if (h != 0 && v != 0) {
    S.StepX = 12 * h;
    S.StepY = 3 * v;
  } else {
    S.StepX = 16 * h;
    S.StepY = 10 * v;
  }
}

} // namespace

void Steer(CharacterState& S, const TSteerInputs& AIn) {
  static_assert(CHAR_WIDTH % 2 == 0 && CHAR_HEIGHT % 2 == 0, "the centre must be exact");
  const Coord cx = Coord{AIn.Left} + CHAR_WIDTH / 2;
  const Coord cy = Coord{AIn.Top} + CHAR_HEIGHT / 2;
  int h = 0;
  int v = 0;
  if (AIn.Cursor) {
    const Coord dx = AIn.Cursor->X - cx;
    const Coord dy = AIn.Cursor->Y - cy;
    if (std::llabs(dy) > VerticalDeadZone(S.PoseMode)) {
      v = Direction(dy);
    }
    if (std::llabs(dx) > CHASE_DEAD_ZONE) {
      h = Direction(dx);
      ApplyFacing(S, h);
    }
    if (!AIn.Focused && AIn.Foreground && StrictlyInside(*AIn.Foreground, *AIn.Cursor)) {
      h = EdgeDirection(*AIn.Foreground, AIn.Cursor->X, cx);
      ApplyFacing(S, h);
      if (h == 0 && v == 0 && !IsStanding(S.PoseMode)) {
        StandWithFacing(S); // arrived: stop at once, whatever the frame
      }
    }
  }
  h = ChangeActivity(S, h, v);
  SetSlope(S, SlopeOf(v));
  SetSteps(S, h, v);
}

} // namespace nyarumi
