#include "tools/Icon.h"

#include "tools/Frames.h"
#include "tools/Png.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <utility>

namespace nyarumi::art {
namespace {

// How much more the darkest pixel counts than a white one, in 1/256ths per step of luma.
constexpr int DARK_WEIGHT = 4;

// The frame pixels [first, last) along one axis that icon pixel AAt covers; at least one, so an
// enlargement repeats the nearest pixel.
std::pair<std::int32_t, std::int32_t> Span(std::int32_t AStart, std::int32_t ALength,
                                           std::int32_t ASize, std::int32_t AAt) {
  const std::int32_t first = AStart + AAt * ALength / ASize;
  const std::int32_t last = AStart + (AAt + 1) * ALength / ASize;
  return {first, std::max(last, first + 1)};
}

// Dark pixels are her outlines and eyes: they count for more, so a reduction keeps them.
int Weight(const TPaletteEntry& AEntry) {
  const int luma = (AEntry.Red * 299 + AEntry.Green * 587 + AEntry.Blue * 114) / 1000;
  return 256 + DARK_WEIGHT * (255 - luma);
}

} // namespace

const std::vector<TIconView>& IconViews() {
  // Her head with the ears: the whole 88 × 154 figure would leave a face of a few pixels. The
  // 64-pixel square maps to whole icon pixels at 32, 64, 128 and 256; 16 takes a square just
  // tight enough that the eyes keep their own pixels.
  static const std::vector<TIconView> views{
      {16, {11, 19, 71, 79}}, {32, {9, 17, 73, 81}},  {48, {9, 17, 73, 81}},
      {64, {9, 17, 73, 81}},  {128, {9, 17, 73, 81}}, {256, {9, 17, 73, 81}},
  };
  return views;
}

std::vector<std::uint8_t> RenderIcon(const TFrameArt& AFrame, const TIconView& AView) {
  const TRect& src = AView.Source;
  if (AView.Size <= 0 || src.IsEmpty() || src.Left < 0 || src.Top < 0 ||
      src.Right > AFrame.Picture.Width || src.Bottom > AFrame.Picture.Height) {
    throw std::invalid_argument("RenderIcon: the source square lies outside the frame");
  }
  const auto size = static_cast<std::size_t>(AView.Size);
  std::vector<std::uint8_t> rgba(size * size * 4, 0);
  for (std::int32_t y = 0; y < AView.Size; ++y) {
    const auto [top, bottom] = Span(src.Top, src.Height(), AView.Size, y);
    for (std::int32_t x = 0; x < AView.Size; ++x) {
      const auto [left, right] = Span(src.Left, src.Width(), AView.Size, x);
      std::array<int, 256> votes{};
      int inside = 0;
      for (std::int32_t sy = top; sy < bottom; ++sy) {
        for (std::int32_t sx = left; sx < right; ++sx) {
          if (AFrame.Region.Contains(sx + RECORD_DX, sy + RECORD_DY)) {
            votes[AFrame.Picture.At(sx, sy)] +=
                Weight(AFrame.Picture.Palette[AFrame.Picture.At(sx, sy)]);
            ++inside;
          }
        }
      }
      // Mostly outside her outline: leave the pixel transparent.
      if (inside * 2 <= (bottom - top) * (right - left)) {
        continue;
      }
      std::size_t best = 0;
      for (std::size_t i = 1; i < votes.size(); ++i) {
        if (votes[i] > votes[best]) {
          best = i;
        }
      }
      const TPaletteEntry& e = AFrame.Picture.Palette[best];
      const std::size_t o = (static_cast<std::size_t>(y) * size + static_cast<std::size_t>(x)) * 4;
      rgba[o] = e.Red;
      rgba[o + 1] = e.Green;
      rgba[o + 2] = e.Blue;
      rgba[o + 3] = 255;
    }
  }
  return rgba;
}

std::vector<std::uint8_t> IconPng(const TArtwork& AArt, const TIconView& AView) {
  return EncodePngRgba(AView.Size, AView.Size, RenderIcon(AArt.Find(ICON_FRAME), AView));
}

} // namespace nyarumi::art
