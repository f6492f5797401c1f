#include "tools/Sheet.h"

#include "tools/Frames.h"
#include "tools/Png.h"

#include <array>
#include <string>

namespace nyarumi::art {
namespace {

constexpr int GAP = 4;
constexpr int COLUMNS = 12;

std::vector<std::vector<std::string>> Rows() {
  std::vector<std::vector<std::string>> rows(4);
  for (char facing : {'b', 'd'}) {
    for (int n = 1; n <= 4; ++n) {
      rows[0].push_back("TATI" + std::to_string(n) + facing);
    }
  }
  const std::array<const char*, 3> slopes{"", "U", "D"};
  for (std::size_t s = 0; s < slopes.size(); ++s) {
    for (char facing : {'b', 'd'}) {
      for (int n = 0; n <= 5; ++n) {
        rows[s + 1].push_back("HASIRI" + std::to_string(n) + facing + slopes[s]);
      }
    }
  }
  return rows;
}

} // namespace

std::vector<std::uint8_t> ContactSheet(const TArtwork& AArt, int AScale, bool AOutlines) {
  const int cellW = FRAME_WIDTH * AScale + GAP;
  const int cellH = FRAME_HEIGHT * AScale + GAP;
  const auto rows = Rows();
  const int width = COLUMNS * cellW + GAP;
  const int height = static_cast<int>(rows.size()) * cellH + GAP;
  std::vector<std::uint8_t> rgb(
      static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3, 176);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      const TFrameArt& frame = AArt.Find(rows[r][c]);
      const int ox = GAP + static_cast<int>(c) * cellW;
      const int oy = GAP + static_cast<int>(r) * cellH;
      for (int y = 0; y < FRAME_HEIGHT; ++y) {
        for (int x = 0; x < FRAME_WIDTH; ++x) {
          const TPaletteEntry& e = frame.Picture.Palette[frame.Picture.At(x, y)];
          std::array<int, 3> px{e.Red, e.Green, e.Blue};
          if (AOutlines) {
            auto in = [&](int ax, int ay) {
              return frame.Region.Contains(ax + RECORD_DX, ay + RECORD_DY);
            };
            if (!in(x, y)) {
              px = {px[0] * 3 / 4, px[1] * 3 / 4, px[2] * 3 / 4};
            } else if (!in(x - 1, y) || !in(x + 1, y) || !in(x, y - 1) || !in(x, y + 1)) {
              px = {255, 40, 90};
            }
          }
          for (int sy = 0; sy < AScale; ++sy) {
            for (int sx = 0; sx < AScale; ++sx) {
              const std::size_t o = (static_cast<std::size_t>(oy + y * AScale + sy) *
                                         static_cast<std::size_t>(width) +
                                     static_cast<std::size_t>(ox + x * AScale + sx)) *
                                    3;
              for (int k = 0; k < 3; ++k) {
                rgb[o + static_cast<std::size_t>(k)] =
                    static_cast<std::uint8_t>(px[static_cast<std::size_t>(k)]);
              }
            }
          }
        }
      }
    }
  }
  return EncodePng(width, height, rgb);
}

} // namespace nyarumi::art
