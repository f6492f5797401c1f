#include "tools/Palette.h"

#include "common/Errors.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <tuple>

namespace nyarumi::art {
namespace {

constexpr std::size_t FIGURE_COLORS = PALETTE_SIZE - 1;
constexpr int KMEANS_ROUNDS = 10;

struct TSample {
  std::array<int, 3> Rgb;
  double Weight;
};

// Green differences show most, blue least.
double Distance(const std::array<double, 3>& A, const std::array<double, 3>& B) {
  const double dr = A[0] - B[0];
  const double dg = A[1] - B[1];
  const double db = A[2] - B[2];
  return 2 * dr * dr + 4 * dg * dg + 3 * db * db;
}

std::array<double, 3> ToArray(const std::array<int, 3>& A) {
  return {static_cast<double>(A[0]), static_cast<double>(A[1]), static_cast<double>(A[2])};
}

std::array<int, 3> Round(TColor AColor) {
  auto c = [](float v) { return std::clamp(static_cast<int>(std::lround(v)), 0, 255); };
  return {c(AColor.R), c(AColor.G), c(AColor.B)};
}

// Median cut: split the box with the widest weighted channel range until there are ACount.
std::vector<std::array<double, 3>> MedianCut(std::vector<TSample> ASamples, std::size_t ACount) {
  std::vector<std::vector<TSample>> boxes{std::move(ASamples)};
  while (boxes.size() < ACount) {
    std::size_t best = boxes.size();
    int bestChannel = 0;
    double bestScore = -1;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      if (boxes[i].size() < 2) {
        continue;
      }
      double weight = 0;
      for (const TSample& s : boxes[i]) {
        weight += s.Weight;
      }
      for (int ch = 0; ch < 3; ++ch) {
        int lo = 255;
        int hi = 0;
        for (const TSample& s : boxes[i]) {
          lo = std::min(lo, s.Rgb[ch]);
          hi = std::max(hi, s.Rgb[ch]);
        }
        const double score = (hi - lo) * std::sqrt(weight);
        if (score > bestScore) {
          bestScore = score;
          best = i;
          bestChannel = ch;
        }
      }
    }
    if (best == boxes.size()) {
      break; // every box holds a single colour
    }
    std::vector<TSample> box = std::move(boxes[best]);
    std::sort(box.begin(), box.end(), [bestChannel](const TSample& a, const TSample& b) {
      return std::tie(a.Rgb[bestChannel], a.Rgb) < std::tie(b.Rgb[bestChannel], b.Rgb);
    });
    double total = 0;
    for (const TSample& s : box) {
      total += s.Weight;
    }
    double run = 0;
    std::size_t cut = 1;
    for (std::size_t i = 0; i + 1 < box.size(); ++i) {
      run += box[i].Weight;
      cut = i + 1;
      if (run >= total / 2) {
        break;
      }
    }
    boxes[best] = std::vector<TSample>(box.begin(), box.begin() + static_cast<std::ptrdiff_t>(cut));
    boxes.emplace_back(box.begin() + static_cast<std::ptrdiff_t>(cut), box.end());
  }
  std::vector<std::array<double, 3>> centres;
  for (const auto& box : boxes) {
    std::array<double, 3> sum{};
    double weight = 0;
    for (const TSample& s : box) {
      for (int ch = 0; ch < 3; ++ch) {
        sum[ch] += s.Rgb[ch] * s.Weight;
      }
      weight += s.Weight;
    }
    centres.push_back({sum[0] / weight, sum[1] / weight, sum[2] / weight});
  }
  return centres;
}

void KMeans(const std::vector<TSample>& ASamples, std::vector<std::array<double, 3>>& ACentres) {
  std::vector<std::size_t> owner(ASamples.size());
  for (int round = 0; round < KMEANS_ROUNDS; ++round) {
    std::vector<double> error(ASamples.size());
    for (std::size_t i = 0; i < ASamples.size(); ++i) {
      const auto p = ToArray(ASamples[i].Rgb);
      double best = std::numeric_limits<double>::max();
      for (std::size_t k = 0; k < ACentres.size(); ++k) {
        const double d = Distance(p, ACentres[k]);
        if (d < best) {
          best = d;
          owner[i] = k;
        }
      }
      error[i] = best * ASamples[i].Weight;
    }
    std::vector<std::array<double, 3>> sum(ACentres.size(), {0, 0, 0});
    std::vector<double> weight(ACentres.size(), 0);
    for (std::size_t i = 0; i < ASamples.size(); ++i) {
      for (int ch = 0; ch < 3; ++ch) {
        sum[owner[i]][ch] += ASamples[i].Rgb[ch] * ASamples[i].Weight;
      }
      weight[owner[i]] += ASamples[i].Weight;
    }
    for (std::size_t k = 0; k < ACentres.size(); ++k) {
      if (weight[k] > 0) {
        ACentres[k] = {sum[k][0] / weight[k], sum[k][1] / weight[k], sum[k][2] / weight[k]};
        continue;
      }
      // An empty cluster takes over the worst-served colour.
      const auto worst = std::max_element(error.begin(), error.end()) - error.begin();
      ACentres[k] = ToArray(ASamples[static_cast<std::size_t>(worst)].Rgb);
      error[static_cast<std::size_t>(worst)] = 0;
    }
  }
}

} // namespace

std::vector<TPaletteEntry> BuildPalette(const std::vector<TColor>& AColors) {
  std::map<std::array<int, 3>, double> counts;
  for (const TColor& c : AColors) {
    counts[Round(c)] += 1;
  }
  counts.erase({255, 255, 255}); // white belongs to the background alone
  if (counts.size() < FIGURE_COLORS) {
    throw Exception("too few colours to fill the palette");
  }
  std::vector<TSample> samples;
  for (const auto& [rgb, n] : counts) {
    samples.push_back({rgb, n});
  }
  std::vector<std::array<double, 3>> centres = MedianCut(samples, FIGURE_COLORS);
  KMeans(samples, centres);

  // Round, keep every entry distinct and off white, then order by lightness.
  std::set<std::array<int, 3>> taken{{255, 255, 255}};
  std::vector<std::array<int, 3>> colors;
  for (const auto& c : centres) {
    std::array<int, 3> rgb{static_cast<int>(std::lround(c[0])), static_cast<int>(std::lround(c[1])),
                           static_cast<int>(std::lround(c[2]))};
    for (int step = 0; taken.count(rgb) != 0; ++step) {
      rgb[static_cast<std::size_t>(step % 3)] +=
          rgb[static_cast<std::size_t>(step % 3)] > 0 ? -1 : 1;
    }
    taken.insert(rgb);
    colors.push_back(rgb);
  }
  std::sort(colors.begin(), colors.end(), [](const auto& a, const auto& b) {
    const int la = 3 * a[0] + 6 * a[1] + a[2];
    const int lb = 3 * b[0] + 6 * b[1] + b[2];
    return std::tie(la, a) < std::tie(lb, b);
  });
  std::vector<TPaletteEntry> palette;
  for (std::size_t i = 0, k = 0; i < PALETTE_SIZE; ++i) {
    if (i == BACKGROUND_INDEX) {
      palette.push_back({255, 255, 255});
      continue;
    }
    const auto& c = colors[k++];
    palette.push_back({static_cast<std::uint8_t>(c[0]), static_cast<std::uint8_t>(c[1]),
                       static_cast<std::uint8_t>(c[2])});
  }
  return palette;
}

std::uint8_t NearestIndex(const std::vector<TPaletteEntry>& APalette, TColor AColor) {
  const std::array<double, 3> p{AColor.R, AColor.G, AColor.B};
  double best = std::numeric_limits<double>::max();
  std::size_t index = 0;
  for (std::size_t i = 0; i < APalette.size(); ++i) {
    if (i == BACKGROUND_INDEX) {
      continue;
    }
    const double d =
        Distance(p, {static_cast<double>(APalette[i].Red), static_cast<double>(APalette[i].Green),
                     static_cast<double>(APalette[i].Blue)});
    if (d < best) {
      best = d;
      index = i;
    }
  }
  return static_cast<std::uint8_t>(index);
}

} // namespace nyarumi::art
