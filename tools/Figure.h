#pragma once
// Nyarumi herself: a chibi cat-eared girl drawn from body parts in painter's order. A pose says
// where the limbs are; the same drawing serves every frame, facing right.
#include "tools/Raster.h"

namespace nyarumi::art {

struct TPose {
  // Whole figure: horizontal shift; upper body: vertical shift, forward lean about the hips.
  double Tx = 0;
  double Bob = 0;
  double Lean = 0;     // radians, positive leans forward (to the right)
  double HeadTilt = 0; // radians, positive nods forward
  double Breath = 0;   // 0..1, lifts shoulders and arms a little
  // Ankles in frame pixels before Tx; a grounded ankle sits at GROUND_ANKLE_Y.
  TVec NearAnkle{40, 142.5};
  TVec FarAnkle{31, 142.5};
  double NearToe = 0; // foot pitch, radians, positive points the toe down
  double FarToe = 0;
  // Elbows and hands relative to their shoulders, in upper-body pixels.
  TVec NearElbow{2, 9}, NearHand{4, 17};
  TVec FarElbow{-2, 9}, FarHand{-3, 17};
  // Tail: how far it reaches back (the figure's left edge), how much it curls up, its sway.
  double TailReach = 24;
  double TailCurl = 1;
  double TailSway = 0;
  double HairFlow = 0;  // 0 at rest, 1 streaming back while running
  double LockSway = 0;  // the near side lock's tip, pixels to the right
  double SkirtFlow = 0; // hem pushed back and lifted
  double EarPerk = 0;   // ear tips forward (+) or back (-), pixels
  double EyeOpen = 1;   // 1 open, 0 closed
  int Mouth = 0;        // 0 small cat smile, 1 open
};

// The soles rest half a pixel below the frame's ground line so the clip flattens them.
inline constexpr double GROUND_Y = 146.5;
inline constexpr double GROUND_ANKLE_Y = 142.5;

void DrawNyarumi(TCanvas& ACanvas, const TPose& APose);

} // namespace nyarumi::art
