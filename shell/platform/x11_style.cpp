#include "shell/platform/x11_style.h"

#include <array>
#include <utility>

namespace nyarumi::x11 {
namespace {

constexpr TRgb Rgb(std::uint8_t R, std::uint8_t G, std::uint8_t B) {
  return TRgb{R, G, B};
}

// The light grey palette the program has always shown on Linux.
constexpr TRgb FaceColor = Rgb(0xEF, 0xEF, 0xEF);
constexpr TRgb DarkColor = Rgb(0x9F, 0x9F, 0x9F);
constexpr TRgb ShadowColor = Rgb(0x76, 0x76, 0x76);
constexpr TRgb MidColor = Rgb(0xB8, 0xB8, 0xB8);
constexpr TRgb MidlightColor = Rgb(0xCA, 0xCA, 0xCA);
constexpr TRgb LightColor = Rgb(0xFF, 0xFF, 0xFF);
constexpr TRgb Black = Rgb(0, 0, 0);
constexpr TRgb HighlightColor = Rgb(0x30, 0x8C, 0xC6);
constexpr TRgb Disabled = Rgb(0xBE, 0xBE, 0xBE);

constexpr std::array<std::pair<int, TRgb>, 30> Colors{{
    {0, FaceColor},
    {1, DarkColor},
    {2, HighlightColor},
    {3, MidColor},
    {4, FaceColor},
    {5, LightColor},
    {6, ShadowColor},
    {7, Black},
    {8, Black},
    {9, LightColor},
    {10, FaceColor},
    {11, FaceColor},
    {12, DarkColor},
    {13, HighlightColor},
    {14, LightColor},
    {15, FaceColor},
    {16, DarkColor},
    {17, Disabled},
    {18, Black},
    {19, Black},
    {20, LightColor},
    {21, ShadowColor},
    {22, MidlightColor},
    {23, Black},
    {24, Rgb(0xFF, 0xFF, 0xDC)},
    {26, Rgb(0, 0, 0xFF)},
    {27, HighlightColor},
    {28, FaceColor},
    {29, HighlightColor},
    {30, FaceColor},
}};

} // namespace

TRgb ClassicColor(int AIndex) {
  for (const auto& [Index, Color] : Colors) {
    if (Index == AIndex) {
      return Color;
    }
  }
  return {};
}

void FillDevice(const TX11Display& ADisplay, TX11Surface& ASurface, const TRect& ARect,
                TRgb AColor) {
  if (ARect.IsEmpty()) {
    return;
  }
  ASurface.SetForeground(ADisplay.Pixel(AColor));
  XFillRectangle(ADisplay.Dpy(), ASurface.Target(), ASurface.Gc(), ARect.Left, ARect.Top,
                 static_cast<unsigned>(ARect.Width()), static_cast<unsigned>(ARect.Height()));
}

void DrawBevel(const TX11Display& ADisplay, TX11Surface& ASurface, const TRect& ARect,
               bool ASunken) {
  const int P = ADisplay.Scale();
  const auto Edge = [&](const TRect& R, TRgb TopLeft, TRgb BottomRight) {
    FillDevice(ADisplay, ASurface, {R.Left, R.Top, R.Right, R.Top + P}, TopLeft);
    FillDevice(ADisplay, ASurface, {R.Left, R.Top, R.Left + P, R.Bottom}, TopLeft);
    FillDevice(ADisplay, ASurface, {R.Left, R.Bottom - P, R.Right, R.Bottom}, BottomRight);
    FillDevice(ADisplay, ASurface, {R.Right - P, R.Top, R.Right, R.Bottom}, BottomRight);
  };
  const TRect Inner{ARect.Left + P, ARect.Top + P, ARect.Right - P, ARect.Bottom - P};
  if (ASunken) {
    Edge(ARect, ShadowColor, LightColor);
    Edge(Inner, DarkColor, MidlightColor);
  } else {
    Edge(ARect, LightColor, ShadowColor);
    Edge(Inner, MidlightColor, DarkColor);
  }
}

void DrawFocusRect(const TX11Display& ADisplay, TX11Surface& ASurface, const TRect& ARect) {
  const int P = ADisplay.Scale();
  ASurface.SetForeground(ADisplay.Pixel(Black));
  for (int X = ARect.Left; X < ARect.Right; X += 2 * P) {
    XFillRectangle(ADisplay.Dpy(), ASurface.Target(), ASurface.Gc(), X, ARect.Top,
                   static_cast<unsigned>(P), static_cast<unsigned>(P));
    XFillRectangle(ADisplay.Dpy(), ASurface.Target(), ASurface.Gc(), X, ARect.Bottom - P,
                   static_cast<unsigned>(P), static_cast<unsigned>(P));
  }
  for (int Y = ARect.Top; Y < ARect.Bottom; Y += 2 * P) {
    XFillRectangle(ADisplay.Dpy(), ASurface.Target(), ASurface.Gc(), ARect.Left, Y,
                   static_cast<unsigned>(P), static_cast<unsigned>(P));
    XFillRectangle(ADisplay.Dpy(), ASurface.Target(), ASurface.Gc(), ARect.Right - P, Y,
                   static_cast<unsigned>(P), static_cast<unsigned>(P));
  }
}

} // namespace nyarumi::x11
