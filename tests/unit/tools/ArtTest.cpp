// The generator's building blocks: the PNG writer, the palette builder and the rasteriser.
#include "common/Errors.h"
#include "tools/Artwork.h"
#include "tools/Icon.h"
#include "tools/Palette.h"
#include "tools/Png.h"
#include "tools/Raster.h"
#include "tools/Shapes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>
#include <string>
#include <tuple>

namespace nyarumi::art {
namespace {

std::span<const std::uint8_t> Bytes(const std::string& AText) {
  return {reinterpret_cast<const std::uint8_t*>(AText.data()), AText.size()};
}

TEST(Png, ChecksumsMatchKnownValues) {
  EXPECT_EQ(Crc32(Bytes("IEND")), 0xAE426082u);
  EXPECT_EQ(Crc32(Bytes("123456789")), 0xCBF43926u);
  EXPECT_EQ(Adler32(Bytes("Wikipedia")), 0x11E60398u);
}

std::uint32_t BE32(const std::vector<std::uint8_t>& A, std::size_t AAt) {
  return static_cast<std::uint32_t>(A[AAt]) << 24 | A[AAt + 1] << 16 | A[AAt + 2] << 8 | A[AAt + 3];
}

// Walks the chunks, checks each CRC and undoes the stored deflate blocks of the image data.
std::vector<std::uint8_t> StoredPixels(const std::vector<std::uint8_t>& APng) {
  std::vector<std::uint8_t> z;
  std::size_t at = 8;
  while (at + 12 <= APng.size()) {
    const std::uint32_t len = BE32(APng, at);
    const std::string type(APng.begin() + static_cast<std::ptrdiff_t>(at + 4),
                           APng.begin() + static_cast<std::ptrdiff_t>(at + 8));
    EXPECT_EQ(Crc32(std::span(APng).subspan(at + 4, len + 4)), BE32(APng, at + 8 + len)) << type;
    if (type == "IDAT") {
      z.insert(z.end(), APng.begin() + static_cast<std::ptrdiff_t>(at + 8),
               APng.begin() + static_cast<std::ptrdiff_t>(at + 8 + len));
    }
    at += 12 + len;
  }
  EXPECT_EQ(at, APng.size());
  std::vector<std::uint8_t> raw;
  std::size_t p = 2;
  for (bool last = false; !last;) {
    last = (z.at(p) & 1) != 0;
    const std::size_t len = z.at(p + 1) | z.at(p + 2) << 8;
    EXPECT_EQ(len ^ 0xFFFF, static_cast<std::size_t>(z.at(p + 3) | z.at(p + 4) << 8));
    raw.insert(raw.end(), z.begin() + static_cast<std::ptrdiff_t>(p + 5),
               z.begin() + static_cast<std::ptrdiff_t>(p + 5 + len));
    p += 5 + len;
  }
  EXPECT_EQ(BE32(z, p), Adler32(raw));
  return raw;
}

TEST(Png, ImageDataSurvivesSeveralStoredBlocks) {
  // 300 × 80 RGB rows of 901 bytes: more than one 65,535-byte block.
  const int w = 300;
  const int h = 80;
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(w * h * 3));
  for (std::size_t i = 0; i < rgb.size(); ++i) {
    rgb[i] = static_cast<std::uint8_t>(i * 7 + i / 13);
  }
  const auto png = EncodePng(w, h, rgb);
  ASSERT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
  EXPECT_EQ(BE32(png, 16), static_cast<std::uint32_t>(w));
  EXPECT_EQ(BE32(png, 20), static_cast<std::uint32_t>(h));
  const auto raw = StoredPixels(png);
  ASSERT_EQ(raw.size(), static_cast<std::size_t>(h * (w * 3 + 1)));
  for (int y = 0; y < h; ++y) {
    const std::size_t row = static_cast<std::size_t>(y * (w * 3 + 1));
    EXPECT_EQ(raw[row], 0);
    EXPECT_TRUE(std::equal(rgb.begin() + y * w * 3, rgb.begin() + (y + 1) * w * 3,
                           raw.begin() + static_cast<std::ptrdiff_t>(row + 1)));
  }
  EXPECT_THROW(EncodePng(w, h, std::span(rgb).first(10)), std::invalid_argument);
}

TEST(Palette, KeepsWhiteForTheBackgroundAlone) {
  // Many near-whites, white itself and a few strong colours, heavily repeated.
  std::vector<TColor> colors;
  for (int i = 0; i < 400; ++i) {
    colors.push_back(Rgb(255, 255, 255));
    colors.push_back(Rgb(254, 255, 255));
    colors.push_back(Rgb(255 - i % 9, 250 + i % 5, 255 - i % 3));
    colors.push_back(Rgb(i % 256, (i * 3) % 256, (i * 7) % 256));
  }
  const auto palette = BuildPalette(colors);
  ASSERT_EQ(palette.size(), PALETTE_SIZE);
  std::set<std::tuple<int, int, int>> seen;
  for (std::size_t i = 0; i < palette.size(); ++i) {
    const bool white = palette[i] == TPaletteEntry{255, 255, 255};
    EXPECT_EQ(white, i == BACKGROUND_INDEX) << i;
    EXPECT_TRUE(seen.emplace(palette[i].Red, palette[i].Green, palette[i].Blue).second) << i;
  }
  // Even pure white in a figure maps to some other entry.
  EXPECT_NE(NearestIndex(palette, Rgb(255, 255, 255)), BACKGROUND_INDEX);
  EXPECT_THROW(BuildPalette({Rgb(1, 2, 3), Rgb(255, 255, 255)}), nyarumi::Exception);
}

TEST(Raster, CoverageApproximatesTheShapesArea) {
  struct TCase {
    const char* Name;
    TPolygon Shape;
    double Area;
  };
  const TCase cases[] = {
      {"disc", Ellipse({20.3, 20.7}, 9, 9, 0, 180), std::numbers::pi * 81},
      {"tilted ellipse", Ellipse({30, 40}, 12, 5, 0.6, 180), std::numbers::pi * 60},
      {"capsule", Capsule({10, 60}, 4, {40, 70}, 2, 64),
       // two half discs joined by a trapezoid, near enough for a gentle taper
       std::numbers::pi * (16 + 4) / 2 + (4 + 2) * std::hypot(30.0, 10.0)},
      {"square", TPolygon{{50.25, 50.25}, {60.25, 50.25}, {60.25, 60.25}, {50.25, 60.25}}, 100},
  };
  for (const TCase& c : cases) {
    TCanvas canvas(88, 154);
    TMask m = canvas.NewMask();
    m.Add(c.Shape);
    canvas.Paint(m, Rgb(0, 0, 0));
    double covered = 0;
    for (const auto& px : canvas.Resolve()) {
      covered += px.Alpha;
    }
    EXPECT_NEAR(covered, c.Area, c.Area * 0.02) << c.Name;
  }
}

TEST(Raster, OutlineSurroundsThePartAndClipBoundsTheExtent) {
  TCanvas canvas(88, 154);
  TMask m = canvas.NewMask();
  m.Add(TPolygon{{20, 30}, {40, 30}, {40, 50}, {20, 50}});
  canvas.Part(m, Rgb(200, 0, 0), Rgb(0, 0, 200), 1.0);
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  ASSERT_TRUE(canvas.Extent(x0, y0, x1, y1));
  EXPECT_DOUBLE_EQ(x0, 19.0);
  EXPECT_DOUBLE_EQ(y0, 29.0);
  EXPECT_DOUBLE_EQ(x1, 41.0);
  EXPECT_DOUBLE_EQ(y1, 51.0);
  const auto px = canvas.Resolve();
  EXPECT_FLOAT_EQ(px[40 * 88 + 30].Color.R, 200); // inside: the fill
  EXPECT_FLOAT_EQ(px[40 * 88 + 19].Color.B, 200); // the outline ring
  canvas.ClipTo(25, 35, 30, 38);
  ASSERT_TRUE(canvas.Extent(x0, y0, x1, y1));
  EXPECT_DOUBLE_EQ(x0, 25.0);
  EXPECT_DOUBLE_EQ(y1, 38.0);
}

TEST(Artwork, SilhouetteAndMirrorOfASmallPicture) {
  TBitmap8 p;
  p.Width = 4;
  p.Height = 2;
  p.Palette.assign(121, {0, 0, 0});
  p.Pixels = {114, 1,   2,   114, //
              3,   114, 114, 4};
  const TRegion r = SilhouetteRegion(p, 114);
  EXPECT_EQ(r.Rects(), (std::vector<TRect>{{4, 22, 6, 23}, {3, 23, 4, 24}, {6, 23, 7, 24}}));
  const TBitmap8 m = MirrorPicture(p);
  EXPECT_EQ(m.Pixels, (std::vector<std::uint8_t>{114, 2, 1, 114, 4, 114, 114, 3}));
}

// A 4 × 4 frame: background 0 (white), dark 1, light 2, in 2 × 2 blocks that test the vote.
TFrameArt SmallFrame() {
  TFrameArt f;
  f.Picture.Width = 4;
  f.Picture.Height = 4;
  f.Picture.Palette = {{255, 255, 255}, {20, 10, 10}, {250, 200, 160}};
  f.Picture.Pixels = {1, 2, 0, 2, //
                      2, 2, 0, 2, //
                      1, 1, 0, 0, //
                      2, 2, 0, 2};
  f.Region = SilhouetteRegion(f.Picture, 0);
  return f;
}

std::vector<std::uint8_t> Rgba(std::initializer_list<int> AIndices, const TFrameArt& AFrame) {
  std::vector<std::uint8_t> out;
  for (int i : AIndices) {
    const TPaletteEntry e = AFrame.Picture.Palette[static_cast<std::size_t>(std::max(i, 0))];
    out.insert(out.end(), {e.Red, e.Green, e.Blue, static_cast<std::uint8_t>(i < 0 ? 0 : 255)});
    if (i < 0) {
      std::fill(out.end() - 4, out.end(), 0);
    }
  }
  return out;
}

TEST(Icon, EnlargesWholePixelsAndReducesByAVoteThatKeepsDarkLines) {
  const TFrameArt f = SmallFrame();
  struct TCase {
    TIconView View;
    std::initializer_list<int> Expected; // palette index per icon pixel, -1 transparent
  };
  const TCase cases[] = {
      // Each frame pixel becomes a 2 × 2 block; the background becomes transparent.
      {{4, {1, 0, 3, 2}}, {2, 2, -1, -1, 2, 2, -1, -1, 2, 2, -1, -1, 2, 2, -1, -1}},
      // Top left: one dark against three light, light wins. Bottom left: two dark against two
      // light, dark wins. Top right: half background, transparent. Bottom right: three of
      // four background.
      {{2, {0, 0, 4, 4}}, {2, -1, 1, -1}},
      // One pixel over the whole frame: three dark pixels outweigh eight light ones.
      {{1, {0, 0, 4, 4}}, {1}},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(RenderIcon(f, c.View), Rgba(c.Expected, f)) << c.View.Size;
  }
  EXPECT_THROW(RenderIcon(f, {2, {1, 1, 5, 3}}), std::invalid_argument);
  EXPECT_THROW(RenderIcon(f, {0, {0, 0, 4, 4}}), std::invalid_argument);
}

TEST(Icon, EveryThemeSizeShowsHerOnATransparentGround) {
  const TArtwork art = BuildArtwork();
  const TFrameArt& frame = art.Find(ICON_FRAME);
  std::vector<std::int32_t> sizes;
  for (const TIconView& view : IconViews()) {
    sizes.push_back(view.Size);
    const auto rgba = RenderIcon(frame, view);
    const auto png = IconPng(art, view);
    EXPECT_EQ(BE32(png, 16), static_cast<std::uint32_t>(view.Size));
    EXPECT_EQ(BE32(png, 20), static_cast<std::uint32_t>(view.Size));
    EXPECT_EQ(png[25], 6) << "colour type RGBA";
    const auto raw = StoredPixels(png);
    const std::size_t stride = static_cast<std::size_t>(view.Size) * 4;
    for (std::size_t y = 0; y < static_cast<std::size_t>(view.Size); ++y) {
      EXPECT_TRUE(std::equal(rgba.begin() + static_cast<std::ptrdiff_t>(y * stride),
                             rgba.begin() + static_cast<std::ptrdiff_t>((y + 1) * stride),
                             raw.begin() + static_cast<std::ptrdiff_t>(y * (stride + 1) + 1)));
    }
    // Opaque pixels are her own colours (never a blend, never the white ground), and she fills
    // much of the square without touching its top corners.
    std::size_t opaque = 0;
    for (std::size_t p = 0; p < rgba.size(); p += 4) {
      if (rgba[p + 3] == 0) {
        continue;
      }
      ASSERT_EQ(rgba[p + 3], 255);
      ++opaque;
      const TPaletteEntry e{rgba[p], rgba[p + 1], rgba[p + 2]};
      EXPECT_NE(e, (TPaletteEntry{255, 255, 255}));
      EXPECT_NE(std::find(art.Palette.begin(), art.Palette.end(), e), art.Palette.end());
    }
    const std::size_t all = rgba.size() / 4;
    EXPECT_GT(opaque * 2, all) << view.Size;
    EXPECT_LT(opaque * 10, all * 9) << view.Size;
    EXPECT_EQ(rgba[3], 0);
    EXPECT_EQ(rgba[stride - 1], 0);
  }
  EXPECT_EQ(sizes, (std::vector<std::int32_t>{16, 32, 48, 64, 128, 256}));
}

} // namespace
} // namespace nyarumi::art
