#include "shape/Region.h"

#include <gtest/gtest.h>

#include <set>

namespace nyarumi {
namespace {

using TPixels = std::set<std::pair<int, int>>;

TPixels PixelsOf(const std::vector<TRect>& ARects) {
  TPixels pixels;
  for (const TRect& r : ARects) {
    for (int y = r.Top; y < r.Bottom; ++y) {
      for (int x = r.Left; x < r.Right; ++x) {
        pixels.emplace(x, y);
      }
    }
  }
  return pixels;
}

// The five banding rules of a region record's rectangles.
void ExpectBanded(const std::vector<TRect>& ARects) {
  for (std::size_t i = 0; i < ARects.size(); ++i) {
    const TRect& r = ARects[i];
    EXPECT_TRUE(r.Left < r.Right && r.Top < r.Bottom) << i;
    if (i == 0) {
      continue;
    }
    const TRect& p = ARects[i - 1];
    if (p.Top == r.Top) {
      EXPECT_EQ(p.Bottom, r.Bottom) << i;
      EXPECT_LT(p.Right, r.Left) << i; // neither overlapping nor touching
    } else {
      EXPECT_LE(p.Bottom, r.Top) << i;
    }
  }
  // Adjacent bands never carry the same spans.
  std::vector<std::vector<std::pair<int, int>>> spans;
  std::vector<std::pair<int, int>> rows;
  for (std::size_t i = 0; i < ARects.size(); ++i) {
    if (i == 0 || ARects[i].Top != ARects[i - 1].Top) {
      spans.emplace_back();
      rows.emplace_back(ARects[i].Top, ARects[i].Bottom);
    }
    spans.back().emplace_back(ARects[i].Left, ARects[i].Right);
  }
  for (std::size_t b = 1; b < spans.size(); ++b) {
    EXPECT_FALSE(rows[b - 1].second == rows[b].first && spans[b - 1] == spans[b]) << b;
  }
}

struct TNormaliseCase {
  const char* Label;
  std::vector<TRect> Input;
  std::vector<TRect> Expected;
};

void PrintTo(const TNormaliseCase& ACase, std::ostream* AOut) {
  *AOut << ACase.Label;
}

class RegionFromRects : public testing::TestWithParam<TNormaliseCase> {};

TEST_P(RegionFromRects, GivesTheBandedFormOfTheSamePixels) {
  const auto& c = GetParam();
  const TRegion r = TRegion::FromRects(c.Input);
  EXPECT_EQ(r.Rects(), c.Expected) << c.Label;
  ExpectBanded(r.Rects());
  EXPECT_EQ(PixelsOf(r.Rects()), PixelsOf(c.Input)) << c.Label;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RegionFromRects,
    testing::Values(
        TNormaliseCase{"empty", {}, {}},
        TNormaliseCase{"empty rectangles vanish", {{5, 5, 5, 9}, {1, 4, 3, 4}}, {}},
        TNormaliseCase{"touching in a row merge", {{0, 0, 2, 1}, {2, 0, 4, 1}}, {{0, 0, 4, 1}}},
        TNormaliseCase{"identical lines merge", {{0, 0, 3, 1}, {0, 1, 3, 2}}, {{0, 0, 3, 2}}},
        TNormaliseCase{
            "gap between bands kept", {{0, 0, 3, 1}, {0, 2, 3, 3}}, {{0, 0, 3, 1}, {0, 2, 3, 3}}},
        TNormaliseCase{"unsorted overlap",
                       {{2, 1, 6, 3}, {0, 0, 4, 2}},
                       {{0, 0, 4, 1}, {0, 1, 6, 2}, {2, 2, 6, 3}}},
        TNormaliseCase{"two columns", {{4, 0, 6, 3}, {0, 0, 2, 3}}, {{0, 0, 2, 3}, {4, 0, 6, 3}}},
        TNormaliseCase{"hole",
                       {{0, 0, 3, 1}, {0, 1, 1, 2}, {2, 1, 3, 2}, {0, 2, 3, 3}},
                       {{0, 0, 3, 1}, {0, 1, 1, 2}, {2, 1, 3, 2}, {0, 2, 3, 3}}},
        TNormaliseCase{"duplicate", {{1, 1, 2, 2}, {1, 1, 2, 2}}, {{1, 1, 2, 2}}},
        TNormaliseCase{
            "bands bottom first", {{0, 2, 3, 3}, {0, 0, 3, 1}}, {{0, 0, 3, 1}, {0, 2, 3, 3}}},
        TNormaliseCase{"one top, two heights",
                       {{0, 0, 3, 2}, {4, 0, 6, 1}},
                       {{0, 0, 3, 1}, {4, 0, 6, 1}, {0, 1, 3, 2}}},
        TNormaliseCase{
            "spans right to left", {{4, 0, 6, 1}, {0, 0, 2, 1}}, {{0, 0, 2, 1}, {4, 0, 6, 1}}},
        TNormaliseCase{"negative coordinates", {{-3, -2, 0, 0}}, {{-3, -2, 0, 0}}}));

TEST(Region, RandomRectangleSetsKeepTheirPixelsAndObeyTheBanding) {
  std::uint32_t seed = 12345;
  auto next = [&](int AMod) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int>((seed >> 16) % static_cast<std::uint32_t>(AMod));
  };
  for (int round = 0; round < 200; ++round) {
    std::vector<TRect> rects;
    const int n = 1 + next(8);
    for (int i = 0; i < n; ++i) {
      const int l = next(12), t = next(12);
      rects.push_back(TRect{l, t, l + next(6), t + next(6)});
    }
    const TRegion r = TRegion::FromRects(rects);
    ExpectBanded(r.Rects());
    const TPixels pixels = PixelsOf(rects);
    ASSERT_EQ(PixelsOf(r.Rects()), pixels) << round;
    EXPECT_EQ(r.Area(), static_cast<std::int64_t>(pixels.size()));
    for (int y = -1; y < 18; ++y) {
      for (int x = -1; x < 18; ++x) {
        ASSERT_EQ(r.Contains(x, y), pixels.count({x, y}) == 1);
      }
    }
    // The banded form is unique, so the same pixels from shuffled input compare equal.
    std::vector<TRect> reversed(rects.rbegin(), rects.rend());
    EXPECT_EQ(TRegion::FromRects(reversed), r);
    EXPECT_EQ(TRegion::FromRects(r.Rects()), r);
  }
}

TEST(Region, RecordRoundTripWithExactBounds) {
  const TRegion r = TRegion::FromRects({{10, 40, 20, 42}, {8, 42, 70, 168}});
  const auto record = r.ToRecord();
  ASSERT_EQ(record.size(), 32u + 16 * r.Rects().size());
  auto field = [&](std::size_t at) {
    return static_cast<std::int32_t>(record[at] | record[at + 1] << 8 | record[at + 2] << 16 |
                                     static_cast<std::uint32_t>(record[at + 3]) << 24);
  };
  EXPECT_EQ(field(0), 32);
  EXPECT_EQ(field(4), 1);
  EXPECT_EQ(field(8), 2);
  EXPECT_EQ(field(12), 32);
  EXPECT_EQ((TRect{field(16), field(20), field(24), field(28)}), (TRect{8, 40, 70, 168}));
  EXPECT_EQ(r.Bounds(), (TRect{8, 40, 70, 168}));
  const auto back = TRegion::FromRecord(record);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(*back, r);
}

TEST(Region, AnEmptyRecordIsAnEmptyRegion) {
  const auto record = TRegion().ToRecord();
  EXPECT_EQ(record.size(), 32u);
  const auto back = TRegion::FromRecord(record);
  ASSERT_TRUE(back.has_value());
  EXPECT_TRUE(back->IsEmpty());
  EXPECT_EQ(back->Bounds(), TRect{});
}

TEST(Region, RejectsMalformedRecords) {
  const auto good = TRegion::FromRects({{0, 0, 4, 4}, {1, 4, 2, 6}}).ToRecord();
  auto set = [](std::vector<std::uint8_t> r, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
      r[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
    return r;
  };
  const std::vector<std::pair<const char*, std::vector<std::uint8_t>>> bad = {
      {"empty", {}},
      {"shorter than its header", std::vector<std::uint8_t>(good.begin(), good.begin() + 31)},
      {"header size", set(good, 0, 28)},
      {"type", set(good, 4, 2)},
      {"count too large", set(good, 8, 3)},
      {"count near overflow", set(set(good, 8, 0x10000001), 12, 16)},
      {"byte size", set(good, 12, 48)},
      {"trailing byte",
       [&] {
         auto r = good;
         r.push_back(0);
         return r;
       }()},
      {"truncated rectangle", std::vector<std::uint8_t>(good.begin(), good.end() - 1)},
      {"empty rectangle", set(good, 32 + 8, 0)},
      {"inverted rectangle", set(good, 32 + 12, static_cast<std::uint32_t>(-5))},
  };
  for (const auto& [label, record] : bad) {
    EXPECT_FALSE(TRegion::FromRecord(record).has_value()) << label;
  }
}

TEST(Region, OffsetMovesAndRefusesToOverflow) {
  TRegion r = TRegion::FromRects({{8, 40, 70, 168}});
  ASSERT_TRUE(r.Offset(-3, -22));
  EXPECT_EQ(r.Bounds(), (TRect{5, 18, 67, 146}));
  const TRegion before = r;
  EXPECT_FALSE(r.Offset(0x7FFFFFFF, 0));
  EXPECT_EQ(r, before);
  TRegion negative = TRegion::FromRects({{-10, -10, 0, 0}});
  EXPECT_FALSE(negative.Offset(0, -0x7FFFFFFF - 1));
  EXPECT_EQ(negative.Bounds(), (TRect{-10, -10, 0, 0}));
  TRegion empty;
  EXPECT_TRUE(empty.Offset(0x7FFFFFFF, 0x7FFFFFFF));
}

TEST(Region, UnionAndMirror) {
  const TRegion a = TRegion::FromRects({{0, 0, 2, 2}});
  const TRegion b = TRegion::FromRects({{2, 0, 4, 2}});
  EXPECT_EQ(a.Union(b), TRegion::FromRects({{0, 0, 4, 2}}));
  const TRegion right = TRegion::FromRects({{8, 40, 20, 50}, {30, 40, 70, 50}, {10, 50, 12, 60}});
  const auto left = right.MirrorX(94);
  ASSERT_TRUE(left.has_value());
  EXPECT_EQ(*left, TRegion::FromRects({{74, 40, 86, 50}, {24, 40, 64, 50}, {82, 50, 84, 60}}));
  EXPECT_EQ(left->Rects().size(), right.Rects().size());
  EXPECT_EQ(left->MirrorX(94), right);
  EXPECT_EQ(TRegion().Union(right), right); // how an outline is copied
  EXPECT_EQ(right.Union(TRegion()), right);
  const TRegion same = right;
  EXPECT_TRUE(right.Union(same).SharesRects(right)); // a copy of itself, without sorting
  EXPECT_EQ(right.Union(TRegion::FromRects({{0, 0, 9, 45}})),
            TRegion::FromRects({{0, 0, 9, 40}, {0, 40, 20, 45}, {30, 40, 70, 45}, {8, 45, 20, 50},
                                {30, 45, 70, 50}, {10, 50, 12, 60}}));
}

} // namespace
} // namespace nyarumi
