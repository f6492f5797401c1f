#pragma once
// A small supersampling rasteriser for the character art. Shapes are polygons in frame pixels
// (x right, y down); each pixel holds SUPERSAMPLE × SUPERSAMPLE point samples, so edges come out
// anti-aliased once the samples are averaged. Painting is opaque, back to front.
#include <cstdint>
#include <functional>
#include <vector>

namespace nyarumi::art {

inline constexpr int SUPERSAMPLE = 4;

struct TVec {
  double X = 0;
  double Y = 0;
  friend constexpr TVec operator+(TVec A, TVec B) { return {A.X + B.X, A.Y + B.Y}; }
  friend constexpr TVec operator-(TVec A, TVec B) { return {A.X - B.X, A.Y - B.Y}; }
  friend constexpr TVec operator*(TVec A, double K) { return {A.X * K, A.Y * K}; }
  friend constexpr TVec operator*(double K, TVec A) { return {A.X * K, A.Y * K}; }
};

using TPolygon = std::vector<TVec>;

struct TColor {
  float R = 0;
  float G = 0;
  float B = 0;
};

TColor Mix(TColor A, TColor B, double T);
TColor Rgb(int R, int G, int B);

// A set of samples. Right/bottom of the bounding box are exclusive; an empty mask has X0 >= X1.
class TMask {
public:
  TMask(int AWidth, int AHeight);
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  bool Get(int X, int Y) const { return FBits[Index(X, Y)] != 0; }
  bool Empty() const { return FX0 >= FX1; }

  // Adds the polygon's inside (non-zero winding) to the set.
  TMask& Add(const TPolygon& APolygon);
  TMask& Add(const TMask& AOther);
  TMask& Cut(const TPolygon& APolygon);
  TMask& Cut(const TMask& AOther);
  TMask& Keep(const TMask& AClip); // intersection
  // Every sample within ARadius pixels of the set.
  TMask Dilated(double ARadius) const;

  template <class F> void ForEach(F AVisit) const {
    for (int y = FY0; y < FY1; ++y) {
      for (int x = FX0; x < FX1; ++x) {
        if (FBits[Index(x, y)] != 0) {
          AVisit(x, y);
        }
      }
    }
  }

private:
  std::size_t Index(int X, int Y) const {
    return static_cast<std::size_t>(Y) * static_cast<std::size_t>(FWidth) +
           static_cast<std::size_t>(X);
  }
  void Grow(int X0, int Y0, int X1, int Y1);
  template <class F> void Scan(const TPolygon& APolygon, F ASpan) const;

  int FWidth;
  int FHeight;
  std::vector<std::uint8_t> FBits;
  int FX0, FY0, FX1, FY1;
};

using TShader = std::function<TColor(double X, double Y)>;

// The supersampled picture: a colour per sample and whether anything was painted there.
class TCanvas {
public:
  TCanvas(int AWidthPx, int AHeightPx);
  int WidthPx() const { return FWidthPx; }
  int HeightPx() const { return FHeightPx; }
  TMask NewMask() const { return TMask(FWidthPx * SUPERSAMPLE, FHeightPx * SUPERSAMPLE); }

  void Paint(const TMask& AMask, TColor AColor);
  void Paint(const TMask& AMask, const TShader& AShader);
  // An outline of AWidth pixels around the part, then the part itself over it.
  void Part(const TMask& AMask, const TShader& AShader, TColor AOutline, double AWidth);
  void Part(const TMask& AMask, TColor AFill, TColor AOutline, double AWidth);

  // Removes every sample outside [X0, X1) × [Y0, Y1) (pixels).
  void ClipTo(int X0, int Y0, int X1, int Y1);
  // Extent of the painted samples in pixels (exclusive right/bottom); false when empty.
  bool Extent(double& X0, double& Y0, double& X1, double& Y1) const;

  // Averages the samples of each pixel over white: colour and coverage 0..1.
  struct TPixel {
    TColor Color;
    float Alpha = 0;
  };
  std::vector<TPixel> Resolve() const;

private:
  int FWidthPx;
  int FHeightPx;
  std::vector<TColor> FColors;
  std::vector<std::uint8_t> FCovered;
};

} // namespace nyarumi::art
