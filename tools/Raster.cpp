#include "tools/Raster.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace nyarumi::art {

TColor Mix(TColor A, TColor B, double T) {
  const auto t = static_cast<float>(T);
  return {A.R + (B.R - A.R) * t, A.G + (B.G - A.G) * t, A.B + (B.B - A.B) * t};
}

TColor Rgb(int R, int G, int B) {
  return {static_cast<float>(R), static_cast<float>(G), static_cast<float>(B)};
}

TMask::TMask(int AWidth, int AHeight)
    : FWidth(AWidth), FHeight(AHeight),
      FBits(static_cast<std::size_t>(AWidth) * static_cast<std::size_t>(AHeight), 0), FX0(AWidth),
      FY0(AHeight), FX1(0), FY1(0) {}

void TMask::Grow(int X0, int Y0, int X1, int Y1) {
  FX0 = std::min(FX0, X0);
  FY0 = std::min(FY0, Y0);
  FX1 = std::max(FX1, X1);
  FY1 = std::max(FY1, Y1);
}

// Calls ASpan(y, x0, x1) for every run of samples whose centres lie inside the polygon.
template <class F> void TMask::Scan(const TPolygon& APolygon, F ASpan) const {
  if (APolygon.size() < 3) {
    return;
  }
  double minY = APolygon[0].Y;
  double maxY = minY;
  for (const TVec& p : APolygon) {
    minY = std::min(minY, p.Y);
    maxY = std::max(maxY, p.Y);
  }
  const int j0 = std::max(0, static_cast<int>(std::floor(minY * SUPERSAMPLE - 0.5)));
  const int j1 = std::min(FHeight - 1, static_cast<int>(std::ceil(maxY * SUPERSAMPLE)));
  std::vector<std::pair<double, int>> cross;
  for (int j = j0; j <= j1; ++j) {
    const double y = (j + 0.5) / SUPERSAMPLE;
    cross.clear();
    for (std::size_t k = 0; k < APolygon.size(); ++k) {
      const TVec a = APolygon[k];
      const TVec b = APolygon[(k + 1) % APolygon.size()];
      if (a.Y <= y && y < b.Y) {
        cross.emplace_back(a.X + (y - a.Y) * (b.X - a.X) / (b.Y - a.Y), 1);
      } else if (b.Y <= y && y < a.Y) {
        cross.emplace_back(a.X + (y - a.Y) * (b.X - a.X) / (b.Y - a.Y), -1);
      }
    }
    std::sort(cross.begin(), cross.end());
    int winding = 0;
    double start = 0;
    for (const auto& [x, w] : cross) {
      const int before = winding;
      winding += w;
      if (before == 0 && winding != 0) {
        start = x;
      } else if (before != 0 && winding == 0) {
        const int i0 = std::max(0, static_cast<int>(std::ceil(start * SUPERSAMPLE - 0.5)));
        const int i1 = std::min(FWidth, static_cast<int>(std::ceil(x * SUPERSAMPLE - 0.5)));
        if (i0 < i1) {
          ASpan(j, i0, i1);
        }
      }
    }
  }
}

TMask& TMask::Add(const TPolygon& APolygon) {
  Scan(APolygon, [this](int y, int x0, int x1) {
    std::fill(FBits.begin() + static_cast<std::ptrdiff_t>(Index(x0, y)),
              FBits.begin() + static_cast<std::ptrdiff_t>(Index(x1, y)), 1);
    Grow(x0, y, x1, y + 1);
  });
  return *this;
}

TMask& TMask::Cut(const TPolygon& APolygon) {
  Scan(APolygon, [this](int y, int x0, int x1) {
    std::fill(FBits.begin() + static_cast<std::ptrdiff_t>(Index(x0, y)),
              FBits.begin() + static_cast<std::ptrdiff_t>(Index(x1, y)), 0);
  });
  return *this;
}

TMask& TMask::Add(const TMask& AOther) {
  AOther.ForEach([this](int x, int y) { FBits[Index(x, y)] = 1; });
  if (!AOther.Empty()) {
    Grow(AOther.FX0, AOther.FY0, AOther.FX1, AOther.FY1);
  }
  return *this;
}

TMask& TMask::Cut(const TMask& AOther) {
  AOther.ForEach([this](int x, int y) { FBits[Index(x, y)] = 0; });
  return *this;
}

TMask& TMask::Keep(const TMask& AClip) {
  for (int y = FY0; y < FY1; ++y) {
    for (int x = FX0; x < FX1; ++x) {
      if (!AClip.Get(x, y)) {
        FBits[Index(x, y)] = 0;
      }
    }
  }
  return *this;
}

TMask TMask::Dilated(double ARadius) const {
  TMask out(FWidth, FHeight);
  const double r = ARadius * SUPERSAMPLE;
  const int ri = static_cast<int>(std::floor(r));
  std::vector<int> reach(static_cast<std::size_t>(2 * ri + 1));
  for (int dy = -ri; dy <= ri; ++dy) {
    reach[static_cast<std::size_t>(dy + ri)] =
        static_cast<int>(std::floor(std::sqrt(r * r - static_cast<double>(dy) * dy)));
  }
  for (int y = FY0; y < FY1; ++y) {
    int x = FX0;
    while (x < FX1) {
      if (FBits[Index(x, y)] == 0) {
        ++x;
        continue;
      }
      const int a = x;
      while (x < FX1 && FBits[Index(x, y)] != 0) {
        ++x;
      }
      for (int dy = -ri; dy <= ri; ++dy) {
        const int ty = y + dy;
        if (ty < 0 || ty >= FHeight) {
          continue;
        }
        const int w = reach[static_cast<std::size_t>(dy + ri)];
        const int x0 = std::max(0, a - w);
        const int x1 = std::min(FWidth, x + w);
        std::fill(out.FBits.begin() + static_cast<std::ptrdiff_t>(Index(x0, ty)),
                  out.FBits.begin() + static_cast<std::ptrdiff_t>(Index(x1, ty)), 1);
        out.Grow(x0, ty, x1, ty + 1);
      }
    }
  }
  return out;
}

TCanvas::TCanvas(int AWidthPx, int AHeightPx)
    : FWidthPx(AWidthPx), FHeightPx(AHeightPx),
      FColors(static_cast<std::size_t>(AWidthPx * SUPERSAMPLE) *
              static_cast<std::size_t>(AHeightPx * SUPERSAMPLE)),
      FCovered(FColors.size(), 0) {}

void TCanvas::Paint(const TMask& AMask, TColor AColor) {
  const int w = FWidthPx * SUPERSAMPLE;
  AMask.ForEach([&](int x, int y) {
    const auto i =
        static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x);
    FColors[i] = AColor;
    FCovered[i] = 1;
  });
}

void TCanvas::Paint(const TMask& AMask, const TShader& AShader) {
  const int w = FWidthPx * SUPERSAMPLE;
  AMask.ForEach([&](int x, int y) {
    const auto i =
        static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x);
    FColors[i] = AShader((x + 0.5) / SUPERSAMPLE, (y + 0.5) / SUPERSAMPLE);
    FCovered[i] = 1;
  });
}

void TCanvas::Part(const TMask& AMask, const TShader& AShader, TColor AOutline, double AWidth) {
  if (AWidth > 0) {
    Paint(AMask.Dilated(AWidth), AOutline);
  }
  Paint(AMask, AShader);
}

void TCanvas::Part(const TMask& AMask, TColor AFill, TColor AOutline, double AWidth) {
  if (AWidth > 0) {
    Paint(AMask.Dilated(AWidth), AOutline);
  }
  Paint(AMask, AFill);
}

void TCanvas::ClipTo(int X0, int Y0, int X1, int Y1) {
  const int w = FWidthPx * SUPERSAMPLE;
  const int h = FHeightPx * SUPERSAMPLE;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const bool inside = x >= X0 * SUPERSAMPLE && x < X1 * SUPERSAMPLE && y >= Y0 * SUPERSAMPLE &&
                          y < Y1 * SUPERSAMPLE;
      if (!inside) {
        FCovered[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) +
                 static_cast<std::size_t>(x)] = 0;
      }
    }
  }
}

bool TCanvas::Extent(double& X0, double& Y0, double& X1, double& Y1) const {
  const int w = FWidthPx * SUPERSAMPLE;
  const int h = FHeightPx * SUPERSAMPLE;
  int x0 = w;
  int y0 = h;
  int x1 = -1;
  int y1 = -1;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (FCovered[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) +
                   static_cast<std::size_t>(x)] != 0) {
        x0 = std::min(x0, x);
        x1 = std::max(x1, x);
        y0 = std::min(y0, y);
        y1 = std::max(y1, y);
      }
    }
  }
  if (x1 < 0) {
    return false;
  }
  X0 = static_cast<double>(x0) / SUPERSAMPLE;
  Y0 = static_cast<double>(y0) / SUPERSAMPLE;
  X1 = static_cast<double>(x1 + 1) / SUPERSAMPLE;
  Y1 = static_cast<double>(y1 + 1) / SUPERSAMPLE;
  return true;
}

std::vector<TCanvas::TPixel> TCanvas::Resolve() const {
  const int w = FWidthPx * SUPERSAMPLE;
  std::vector<TPixel> out(static_cast<std::size_t>(FWidthPx) * static_cast<std::size_t>(FHeightPx));
  constexpr float n = SUPERSAMPLE * SUPERSAMPLE;
  for (int py = 0; py < FHeightPx; ++py) {
    for (int px = 0; px < FWidthPx; ++px) {
      float r = 0;
      float g = 0;
      float b = 0;
      int covered = 0;
      for (int sy = 0; sy < SUPERSAMPLE; ++sy) {
        for (int sx = 0; sx < SUPERSAMPLE; ++sx) {
          const auto i =
              static_cast<std::size_t>(py * SUPERSAMPLE + sy) * static_cast<std::size_t>(w) +
              static_cast<std::size_t>(px * SUPERSAMPLE + sx);
          if (FCovered[i] != 0) {
            r += FColors[i].R;
            g += FColors[i].G;
            b += FColors[i].B;
            ++covered;
          } else {
            r += 255;
            g += 255;
            b += 255;
          }
        }
      }
      TPixel& p = out[static_cast<std::size_t>(py) * static_cast<std::size_t>(FWidthPx) +
                      static_cast<std::size_t>(px)];
      p.Color = {r / n, g / n, b / n};
      p.Alpha = static_cast<float>(covered) / n;
    }
  }
  return out;
}

} // namespace nyarumi::art
