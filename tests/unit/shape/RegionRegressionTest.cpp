// Regions that fuzzing found mishandled, kept so that they stay handled.
#include "shape/Region.h"

#include <gtest/gtest.h>

#include <limits>

namespace nyarumi {
namespace {

constexpr std::int32_t LOW = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t HIGH = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t MOST = std::numeric_limits<std::int64_t>::max();

struct TAreaCase {
  const char* Label;
  std::vector<TRect> Rects;
  std::int64_t Area;
};

void PrintTo(const TAreaCase& ACase, std::ostream* AOut) {
  *AOut << ACase.Label;
}

class RegionAreaNearTheLimits : public testing::TestWithParam<TAreaCase> {};

TEST_P(RegionAreaNearTheLimits, CountsExactlyOrStopsAtTheLargestCount) {
  EXPECT_EQ(TRegion::FromRects(GetParam().Rects).Area(), GetParam().Area);
}

INSTANTIATE_TEST_SUITE_P(
    Found, RegionAreaNearTheLimits,
    testing::Values(
        // (2^32 - 1) * (2^31 - 1) = 2^63 - 2^32 - 2^31 + 1 still fits.
        TAreaCase{"just below the limit", {{LOW, 0, HIGH, HIGH}}, MOST - 0x17FFFFFFEll},
        TAreaCase{"one rectangle over the whole plane", {{LOW, LOW, HIGH, HIGH}}, MOST},
        // Each band alone fits; together they pass 2^63.
        TAreaCase{"two bands that only overflow together",
                  {{LOW, LOW, HIGH, -2}, {LOW, 0, HIGH, HIGH}},
                  MOST},
        // 3769630738 x 2914910256 pixels, the size that first overflowed.
        TAreaCase{"as first found", {{-1884815369, -1457455128, 1884815369, 1457455128}}, MOST}));

} // namespace
} // namespace nyarumi
