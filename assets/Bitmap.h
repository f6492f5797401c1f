#pragma once
// An 8-bit palette picture as the frames are stored: it keeps its palette and its indices.
#include "common/Geometry.h"

#include <cstdint>
#include <optional>
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

// Decodes a bitmap file: 8 bits per pixel, uncompressed, rows bottom-up or top-down. Every
// header field is checked before it is used; a file that fails a check raises the invalid
// bitmap error, and so does a pixel whose index lies outside the palette.
TBitmap8 DecodeBitmapFile(std::span<const std::uint8_t> AFile);
// Writes a bottom-up 8-bit bitmap file whose palette is exactly APicture.Palette (1 to 256
// entries) at 11808 pixels per metre.
std::vector<std::uint8_t> EncodeBitmapFile(const TBitmap8& APicture);

// Reads an image's picture value: the picture class name, a 32-bit byte count and the file.
// Empty for a class other than "TBitmap"; a count of 0 gives an empty bitmap. A value that ends
// early raises the read error.
std::optional<TBitmap8> ReadPictureValue(std::span<const std::uint8_t> AValue);
// The picture value of APicture as a "TBitmap".
std::vector<std::uint8_t> EncodePictureValue(const TBitmap8& APicture);

} // namespace nyarumi
