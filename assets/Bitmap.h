#pragma once
// An 8-bit palette picture as the frames are stored: it keeps its palette and its indices.
#include "common/Geometry.h"

#include <cstdint>
#include <span>
#include <vector>

namespace nyarumi {

struct TPaletteEntry {
  std::uint8_t Red = 0;
  std::uint8_t Green = 0;
  std::uint8_t Blue = 0;
  friend bool operator==(const TPaletteEntry&, const TPaletteEntry&) = default;
};

struct TBitmap8 {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::vector<TPaletteEntry> Palette;
  std::vector<std::uint8_t> Pixels; // Width * Height indices, top row first
  std::uint8_t At(std::int32_t X, std::int32_t Y) const {
    return Pixels[static_cast<std::size_t>(Y) * static_cast<std::size_t>(Width) +
                  static_cast<std::size_t>(X)];
  }
};

} // namespace nyarumi
