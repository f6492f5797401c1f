#include "tools/Frames.h"
#include "tools/Png.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

using namespace nyarumi::art;

int main(int argc, char** argv) {
  const std::string out = argc > 1 ? argv[1] : "sheet.png";
  const int scale = 3;
  const int cols = 11;
  const int rows = 2;
  const int cw = FRAME_WIDTH * scale + 4;
  const int ch = FRAME_HEIGHT * scale + 4;
  const int W = cols * cw;
  const int H = rows * ch;
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(W) * H * 3, 200);
  for (std::size_t i = 0; i < RIGHT_FRAME_COUNT; ++i) {
    TRendered r = RenderFrame(i, false);
    const int ox = static_cast<int>(i % cols) * cw + 2;
    const int oy = static_cast<int>(i / cols) * ch + 2;
    for (int y = 0; y < FRAME_HEIGHT; ++y)
      for (int x = 0; x < FRAME_WIDTH; ++x) {
        const auto& px = r.Pixels[y * FRAME_WIDTH + x];
        bool sil = r.Silhouette[y * FRAME_WIDTH + x];
        for (int sy = 0; sy < scale; ++sy)
          for (int sx = 0; sx < scale; ++sx) {
            std::size_t o = ((oy + y * scale + sy) * W + ox + x * scale + sx) * 3;
            if (sil) {
              rgb[o] = (std::uint8_t)std::lround(px.Color.R);
              rgb[o + 1] = (std::uint8_t)std::lround(px.Color.G);
              rgb[o + 2] = (std::uint8_t)std::lround(px.Color.B);
            } else {
              rgb[o] = rgb[o + 1] = rgb[o + 2] = 255;
            }
          }
      }
    std::fprintf(stderr, "%zu %d tx %.2f bob %.2f tilt %.3f tail %.2f\n", i, (int)r.Fitted,
                 r.Pose.Tx, r.Pose.Bob, r.Pose.HeadTilt, r.Pose.TailReach);
  }
  auto png = EncodePng(W, H, rgb);
  std::ofstream(out, std::ios::binary).write((const char*)png.data(), png.size());
}
