#include "engine/Tick.h"

#include "engine/Steer.h"

namespace nyarumi {
namespace {

void DecisionPhase(ITickHost& AHost) {
  TSteerInputs in;
  in.Left = AHost.WindowLeft();
  in.Top = AHost.WindowTop();
  in.Cursor = AHost.CursorPos();
  in.Focused = AHost.HasFocus();
  if (!in.Focused) {
    in.Foreground = AHost.ForegroundRect();
  }
  Steer(AHost.State(), in);
  // The back buffer keeps showing the current frame while the front buffer is redrawn.
  AHost.SetFormRgnVisible(false);
  AHost.CopyFrontToBack();
  AHost.AnimProc();
  AHost.CopyFrontToFormRgn();
}

void MovePhase(ITickHost& AHost) {
  AHost.SetFormRgnVisible(true);
  AHost.UpdateWindow();
  AHost.ApplyRegion();
  const CharacterState& s = AHost.State();
  AHost.SetWindowTop(AHost.WindowTop() + s.StepY);
  AHost.SetWindowLeft(AHost.WindowLeft() + s.StepX);
}

} // namespace

void AnimTick(ITickHost& AHost) {
  if (AHost.FormRgnVisible()) {
    DecisionPhase(AHost);
  } else {
    MovePhase(AHost);
  }
}

} // namespace nyarumi
