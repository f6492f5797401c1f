#pragma once
// The 22 right-facing frames: which pose each shows, the box its silhouette must fill, and the
// fitting that nudges a pose until the silhouette fills exactly that box.
#include "common/Geometry.h"
#include "tools/Figure.h"
#include "tools/Raster.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace nyarumi::art {

inline constexpr std::int32_t FRAME_WIDTH = 88;
inline constexpr std::int32_t FRAME_HEIGHT = 154;
inline constexpr std::size_t RIGHT_FRAME_COUNT = 22;
// Region records are kept in a space shifted by this much from the frame's pixels.
inline constexpr std::int32_t RECORD_DX = 3;
inline constexpr std::int32_t RECORD_DY = 22;
// Records mirror within this width, pictures within FRAME_WIDTH.
inline constexpr std::int32_t RECORD_MIRROR_WIDTH = 94;
// Pixels covered less than this stay background: faint fringes are not part of her outline.
inline constexpr float SILHOUETTE_ALPHA = 0.3f;

struct TFrameEntry {
  std::string_view Name; // right-facing name, e.g. "HASIRI2bU"
  TRect RecordBounds;    // bounding box of the region record
};

// TATI1b–TATI4b, then HASIRI0b–5b level, up (U), down (D).
const std::array<TFrameEntry, RIGHT_FRAME_COUNT>& RightFrames();

// The left-facing name of a right-facing one: the facing letter b becomes d.
std::string MirrorName(std::string_view ARightName);

// The frame's box in picture pixels.
TRect PictureBox(const TFrameEntry& AEntry);

// Unfitted pose of frame AIndex of RightFrames().
TPose BasePose(std::size_t AIndex);

struct TRendered {
  TPose Pose;                           // after fitting
  std::vector<TCanvas::TPixel> Pixels;  // FRAME_WIDTH × FRAME_HEIGHT, top row first
  std::vector<std::uint8_t> Silhouette; // 1 where a pixel belongs to the figure
  bool Fitted = true;
};

// Draws the frame, fitted to its box, clipped to it, with the silhouette taken at
// SILHOUETTE_ALPHA. Throws nyarumi::Exception when the fit does not converge.
TRendered RenderFrame(std::size_t AIndex, bool AStrict = true);

} // namespace nyarumi::art
