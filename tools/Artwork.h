#pragma once
// All 44 frames ready to store: the right-facing ones drawn and quantised to the shared palette,
// the left-facing ones mirrored, and each frame's region record built from its silhouette.
#include "assets/Bitmap.h"
#include "shape/Region.h"

#include <cstdint>
#include <string>
#include <vector>

namespace nyarumi::art {

struct TFrameArt {
  std::string Name; // "TATI1b", "HASIRI3dU"
  TBitmap8 Picture; // 88 × 154, the shared palette
  TRegion Region;   // in record coordinates
  std::vector<std::uint8_t> Record;
};

struct TArtwork {
  std::vector<TPaletteEntry> Palette;
  std::vector<TFrameArt> Frames; // RightFrames() order, each right-facing frame then its twin
  const TFrameArt& Find(const std::string& AName) const;
};

TArtwork BuildArtwork();

// The region of a picture's non-background pixels, moved into record coordinates.
TRegion SilhouetteRegion(const TBitmap8& APicture, std::uint8_t ABackground);
// Pixel (x, y) of the result is pixel (width − 1 − x, y) of APicture.
TBitmap8 MirrorPicture(const TBitmap8& APicture);

} // namespace nyarumi::art
