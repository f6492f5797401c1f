// The Windows canvas drawing into a 32-bit memory picture, read back pixel by pixel: palette
// pictures straight from their indices (whatever their row width), clipped and stretched copies,
// and outlines on the rectangle's inner edge.
#include "shell/platform/win32_canvas.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace nyarumi::win32 {
namespace {

constexpr std::int32_t Size = 8;
constexpr std::uint32_t Back = 0x505050;
constexpr std::uint32_t Red = 0xFF0000, Green = 0x00FF00, Blue = 0x0000FF, Black = 0x000000;

// An 8 × 8 top-down 32-bit picture with a memory DC, filled grey.
class TTarget {
public:
  TTarget() {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), Size, -Size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    FDc = CreateCompatibleDC(nullptr);
    FBitmap = CreateDIBSection(FDc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&FPixels),
                               nullptr, 0);
    FOld = SelectObject(FDc, FBitmap);
    std::fill(FPixels, FPixels + Size * Size, Back);
  }
  ~TTarget() {
    SelectObject(FDc, FOld);
    DeleteObject(FBitmap);
    DeleteDC(FDc);
  }
  HDC Dc() const { return FDc; }
  // The rows as text, one letter per pixel: R G B K(black) . (untouched) ? (anything else).
  std::vector<std::string> Rows() const {
    GdiFlush();
    std::vector<std::string> rows;
    for (int y = 0; y < Size; ++y) {
      std::string row;
      for (int x = 0; x < Size; ++x) {
        switch (FPixels[y * Size + x] & 0xFFFFFF) {
        case Red:
          row += 'R';
          break;
        case Green:
          row += 'G';
          break;
        case Blue:
          row += 'B';
          break;
        case Black:
          row += 'K';
          break;
        case Back:
          row += '.';
          break;
        default:
          row += '?';
          break;
        }
      }
      rows.push_back(row);
    }
    return rows;
  }

private:
  HDC FDc = nullptr;
  HBITMAP FBitmap = nullptr;
  HGDIOBJ FOld = nullptr;
  std::uint32_t* FPixels = nullptr;
};

// A 3 × 2 palette picture (rows not a multiple of four bytes): R G B / G B and an index past
// the palette.
TBitmap8 Picture() {
  TBitmap8 b;
  b.Width = 3;
  b.Height = 2;
  b.Palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  b.Pixels = {0, 1, 2, 1, 2, 7};
  return b;
}

struct TCopyCase {
  const char* Label;
  TRect Dest;
  TRect Source;
  std::vector<std::string> Expected;
};

TEST(Win32Canvas, CopiesPalettePicturesClippedAndStretched) {
  const TBitmap8 picture = Picture();
  const std::vector<TCopyCase> cases = {
      {"plain copy",
       {1, 1, 4, 3},
       {0, 0, 3, 2},
       {"........", ".RGB....", ".GBK....", "........", "........", "........", "........",
        "........"}},
      {"second row only",
       {0, 0, 3, 1},
       {0, 1, 3, 2},
       {"GBK.....", "........", "........", "........", "........", "........", "........",
        "........"}},
      {"source beyond the picture",
       {0, 0, 4, 3},
       {1, 0, 5, 3},
       {"GB......", "BK......", "........", "........", "........", "........", "........",
        "........"}},
      {"doubled",
       {2, 2, 8, 6},
       {0, 0, 3, 2},
       {"........", "........", "..RRGGBB", "..RRGGBB", "..GGBBKK", "..GGBBKK", "........",
        "........"}},
      {"nothing of the picture",
       {0, 0, 2, 2},
       {3, 0, 5, 2},
       {"........", "........", "........", "........", "........", "........", "........",
        "........"}},
  };
  for (const TCopyCase& c : cases) {
    TTarget target;
    TFontCache fonts;
    TWin32Canvas canvas(target.Dc(), fonts);
    canvas.CopyPicture(c.Dest, TPictureRef{&picture, nullptr, 0, 0, nullptr}, c.Source);
    EXPECT_EQ(target.Rows(), c.Expected) << c.Label;
  }
}

TEST(Win32Canvas, CopiesRgbPicturesAndSkipsInconsistentOnes) {
  const std::uint32_t rgb[] = {Red, Green, Blue, Black};
  TTarget target;
  TFontCache fonts;
  TWin32Canvas canvas(target.Dc(), fonts);
  canvas.CopyPicture({0, 0, 2, 2}, TPictureRef{nullptr, rgb, 2, 2, nullptr}, {0, 0, 2, 2});
  TBitmap8 broken = Picture();
  broken.Pixels.resize(4); // fewer indices than its size claims
  canvas.CopyPicture({4, 4, 7, 6}, TPictureRef{&broken, nullptr, 0, 0, nullptr}, {0, 0, 3, 2});
  EXPECT_EQ(target.Rows(),
            (std::vector<std::string>{"RG......", "BK......", "........", "........", "........",
                                      "........", "........", "........"}));
}

TEST(Win32Canvas, RectanglesKeepTheirOutlineInsideAndRightAndBottomExclusive) {
  TTarget target;
  TFontCache fonts;
  TWin32Canvas canvas(target.Dc(), fonts);
  canvas.DrawRectangle({1, 1, 6, 5}, TRgb{255, 0, 0}, TRgb{0, 0, 255});
  canvas.DrawRectangle({6, 5, 8, 8}, std::nullopt, TRgb{0, 255, 0});
  canvas.FillRect({0, 7, 2, 8}, TRgb{0, 0, 0});
  EXPECT_EQ(target.Rows(),
            (std::vector<std::string>{"........", ".RRRRR..", ".RBBBR..", ".RBBBR..", ".RRRRR..",
                                      "......GG", "......GG", "KK....GG"}));
}

} // namespace
} // namespace nyarumi::win32
