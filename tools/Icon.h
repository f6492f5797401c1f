#pragma once
// The program's icons for the desktop's icon theme, drawn from her first standing frame. Pixel
// art stays crisp: enlargements repeat whole pixels, and a reduction gives each icon pixel the
// commonest colour among the frame pixels it covers, so no colours are mixed into a blur.
#include "common/Geometry.h"
#include "tools/Artwork.h"

#include <cstdint>
#include <vector>

namespace nyarumi::art {

struct TIconView {
  std::int32_t Size = 0; // the icon's width and height
  TRect Source;          // the square of the frame it shows, in picture pixels
};

// The frame the icons show.
inline constexpr const char* ICON_FRAME = "TATI1b";

// One view per icon size of the theme, smallest first.
const std::vector<TIconView>& IconViews();

// ASize × ASize pixels of four bytes (RGBA); transparent wherever her outline (the frame's
// region) does not cover. Throws std::invalid_argument for a source square outside the frame.
std::vector<std::uint8_t> RenderIcon(const TFrameArt& AFrame, const TIconView& AView);

// The icon as a PNG file.
std::vector<std::uint8_t> IconPng(const TArtwork& AArt, const TIconView& AView);

} // namespace nyarumi::art
