#pragma once
// One palette for every frame: k-means over the colours of all figures, seeded by median cut,
// so the anti-aliased ramps of each part share entries across frames.
#include "assets/Bitmap.h"
#include "tools/Raster.h"

#include <cstdint>
#include <vector>

namespace nyarumi::art {

inline constexpr std::size_t PALETTE_SIZE = 121;
inline constexpr std::uint8_t BACKGROUND_INDEX = 114;

// A palette of PALETTE_SIZE distinct entries with white at BACKGROUND_INDEX and nowhere else,
// fitted to AColors (each figure pixel of every frame, repeats welcome: they weigh).
std::vector<TPaletteEntry> BuildPalette(const std::vector<TColor>& AColors);

// The nearest entry to AColor that is not the background.
std::uint8_t NearestIndex(const std::vector<TPaletteEntry>& APalette, TColor AColor);

} // namespace nyarumi::art
