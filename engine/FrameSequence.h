#pragma once
// The frame sequencer: one animation step per call. It shows the picture of the current pose
// code, loads that frame's outline into the region image at the frame's offset, advances the
// code within its family and, on five of the seven running frames, cancels the pending step so
// the window moves only twice per run cycle.
#include "engine/PoseCode.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace nyarumi {

inline constexpr int FRAME_COUNT = 44;

// Frame names, indexed 0-43: TATI1b-4b, TATI1d-4d, then the running frames HASIRI0-5 facing
// right level, up, down, then facing left level, up, down (the order of the region holders in
// the main window's stream). A picture and its region holder share the index.
std::string_view FramePictureName(int AIndex);
std::string RegionHolderName(int AIndex);

// One row per valid pose code.
struct TFrameRow {
  std::int32_t Code; // the code the row is for
  int Picture;       // frame picture index
  int Holder;        // region holder index (always the picture's own holder)
  std::int32_t X, Y; // where the record's bounding-box corner goes, in window pixels
  std::int32_t Next; // base of the row's own family + next frame number
  bool ClearSteps;   // StepY and StepX set to 0
};

// The 50 rows: standing right, standing left, then running right level, up, down and running
// left level, up, down, frames in order.
std::span<const TFrameRow> FrameRows();

// What a frame step draws on and loads into; the main window implements it.
class IFrameHost {
public:
  virtual ~IFrameHost() = default;
  // Copy FRAME_RECT of the frame picture into the front buffer.
  virtual void CopyFramePicture(int APictureIndex) = 0;
  // Replace the region image's region with the holder's record placed with its bounding-box
  // corner at (X, Y). May throw; the region image's contents are then its own business.
  virtual void LoadRegionAt(int AHolderIndex, std::int32_t X, std::int32_t Y) = 0;
};

// One step. A code outside the table does nothing at all. If LoadRegionAt throws, the picture
// has been copied but the code and the steps are untouched, and the exception propagates.
void AnimProc(CharacterState& S, IFrameHost& AHost);

} // namespace nyarumi
