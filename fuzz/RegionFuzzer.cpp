// Feeds arbitrary bytes to the region record parser. An accepted record must give a banded
// region covering exactly the record's pixels; re-encoding, moving and mirroring must keep that
// pixel set, and moving must put the bounding box where it was asked to go.
#include "fuzz/FuzzCheck.h"
#include "shape/Region.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

namespace nyarumi::fuzz {
namespace {

constexpr std::int64_t INT32_LOW = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t INT32_HIGH = std::numeric_limits<std::int32_t>::max();

std::int32_t Int32At(std::span<const std::uint8_t> ABytes, std::size_t AOffset) {
  std::uint32_t u = 0;
  for (std::size_t i = 4; i-- > 0;) {
    u = (u << 8) | ABytes[AOffset + i];
  }
  return static_cast<std::int32_t>(u);
}

std::vector<TRect> RawRects(std::span<const std::uint8_t> ARecord) {
  std::vector<TRect> rects;
  for (std::size_t at = 32; at + 16 <= ARecord.size(); at += 16) {
    rects.push_back(TRect{Int32At(ARecord, at), Int32At(ARecord, at + 4), Int32At(ARecord, at + 8),
                          Int32At(ARecord, at + 12)});
  }
  return rects;
}

bool InRect(const TRect& ARect, std::int64_t AX, std::int64_t AY) {
  return ARect.Left <= AX && AX < ARect.Right && ARect.Top <= AY && AY < ARect.Bottom;
}

// The banded form: sorted bands of equal top and bottom, separated spans, no band that could
// have been merged with the one right above it.
void CheckBanded(const std::vector<TRect>& ARects) {
  std::vector<std::size_t> bandStarts;
  for (std::size_t i = 0; i < ARects.size(); ++i) {
    const TRect& r = ARects[i];
    FUZZ_CHECK(r.Left < r.Right && r.Top < r.Bottom);
    if (i > 0 && ARects[i - 1].Top == r.Top) {
      FUZZ_CHECK(ARects[i - 1].Bottom == r.Bottom && ARects[i - 1].Right < r.Left);
      continue;
    }
    FUZZ_CHECK(i == 0 || ARects[i - 1].Bottom <= r.Top);
    bandStarts.push_back(i);
  }
  bandStarts.push_back(ARects.size());
  for (std::size_t b = 1; b + 1 < bandStarts.size(); ++b) {
    const std::size_t above = bandStarts[b - 1];
    const std::size_t start = bandStarts[b];
    const std::size_t length = bandStarts[b + 1] - start;
    if (ARects[above].Bottom != ARects[start].Top || start - above != length) {
      continue;
    }
    bool sameSpans = true;
    for (std::size_t k = 0; sameSpans && k < length; ++k) {
      sameSpans = ARects[above + k].Left == ARects[start + k].Left &&
                  ARects[above + k].Right == ARects[start + k].Right;
    }
    FUZZ_CHECK(!sameSpans);
  }
}

// Probes each raw rectangle's corners and the pixels just outside them: the region holds a
// probe exactly when some raw rectangle does.
void CheckSamePixels(const TRegion& ARegion, const std::vector<TRect>& ARaw) {
  for (const TRect& r : ARaw) {
    const std::array<std::int64_t, 4> xs{std::int64_t{r.Left} - 1, r.Left,
                                         std::int64_t{r.Right} - 1, r.Right};
    const std::array<std::int64_t, 4> ys{std::int64_t{r.Top} - 1, r.Top, std::int64_t{r.Bottom} - 1,
                                         r.Bottom};
    for (std::int64_t x : xs) {
      for (std::int64_t y : ys) {
        if (x < INT32_LOW || x > INT32_HIGH || y < INT32_LOW || y > INT32_HIGH) {
          continue;
        }
        const bool expected =
            std::any_of(ARaw.begin(), ARaw.end(), [&](const TRect& q) { return InRect(q, x, y); });
        FUZZ_CHECK(ARegion.Contains(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)) ==
                   expected);
      }
    }
  }
}

void CheckBounds(const TRegion& ARegion, const std::vector<TRect>& ARaw) {
  if (ARaw.empty()) {
    FUZZ_CHECK(ARegion.IsEmpty() && ARegion.Bounds() == TRect{} && ARegion.Area() == 0);
    return;
  }
  // Areas count up to the largest int64, as the region's own count does.
  constexpr auto LIMIT = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  TRect box = ARaw.front();
  std::uint64_t largest = 0;
  std::uint64_t total = 0;
  for (const TRect& r : ARaw) {
    box = TRect{std::min(box.Left, r.Left), std::min(box.Top, r.Top), std::max(box.Right, r.Right),
                std::max(box.Bottom, r.Bottom)};
    const std::uint64_t area =
        std::min(LIMIT, static_cast<std::uint64_t>(std::int64_t{r.Right} - r.Left) *
                            static_cast<std::uint64_t>(std::int64_t{r.Bottom} - r.Top));
    largest = std::max(largest, area);
    total = area > LIMIT - total ? LIMIT : total + area;
  }
  FUZZ_CHECK(ARegion.Bounds() == box);
  const auto area = static_cast<std::uint64_t>(ARegion.Area());
  FUZZ_CHECK(area >= largest && area <= total);
}

void CheckRecordRoundTrip(const TRegion& ARegion) {
  const std::vector<std::uint8_t> record = ARegion.ToRecord();
  FUZZ_CHECK(record.size() == 32 + 16 * ARegion.Rects().size());
  const TRect box = ARegion.Bounds();
  FUZZ_CHECK((TRect{Int32At(record, 16), Int32At(record, 20), Int32At(record, 24),
                    Int32At(record, 28)} == box));
  const std::optional<TRegion> back = TRegion::FromRecord(record);
  FUZZ_CHECK(back && *back == ARegion);
  FUZZ_CHECK(back->ToRecord() == record);
}

// Moves a copy so that its box starts at (AX, AY), the way a region is placed in the window.
void CheckMoveTo(const TRegion& ARegion, std::int64_t AX, std::int64_t AY) {
  const TRect box = ARegion.Bounds();
  const std::int64_t dx = AX - box.Left;
  const std::int64_t dy = AY - box.Top;
  if (dx < INT32_LOW || dx > INT32_HIGH || dy < INT32_LOW || dy > INT32_HIGH) {
    return;
  }
  TRegion moved = ARegion;
  const bool fits =
      ARegion.IsEmpty() || (box.Left + dx >= INT32_LOW && box.Right + dx <= INT32_HIGH &&
                            box.Top + dy >= INT32_LOW && box.Bottom + dy <= INT32_HIGH);
  FUZZ_CHECK(moved.Offset(static_cast<std::int32_t>(dx), static_cast<std::int32_t>(dy)) == fits);
  if (!fits) {
    FUZZ_CHECK(moved == ARegion);
    return;
  }
  FUZZ_CHECK(moved.Area() == ARegion.Area());
  if (!ARegion.IsEmpty()) {
    const TRect at = moved.Bounds();
    FUZZ_CHECK(at.Left == AX && at.Top == AY);
    FUZZ_CHECK(std::int64_t{at.Right} - at.Left == std::int64_t{box.Right} - box.Left);
    FUZZ_CHECK(std::int64_t{at.Bottom} - at.Top == std::int64_t{box.Bottom} - box.Top);
  }
  CheckBanded(moved.Rects());
  if (-dx <= INT32_HIGH && -dy <= INT32_HIGH) {
    FUZZ_CHECK(moved.Offset(static_cast<std::int32_t>(-dx), static_cast<std::int32_t>(-dy)));
    FUZZ_CHECK(moved == ARegion);
  }
}

void CheckMirror(const TRegion& ARegion) {
  const std::optional<TRegion> mirrored = ARegion.MirrorX(94);
  if (!mirrored) {
    return;
  }
  CheckBanded(mirrored->Rects());
  FUZZ_CHECK(mirrored->Area() == ARegion.Area());
  const std::optional<TRegion> back = mirrored->MirrorX(94);
  FUZZ_CHECK(back && *back == ARegion);
}

void CheckRecord(std::span<const std::uint8_t> ABytes) {
  const std::optional<TRegion> region = TRegion::FromRecord(ABytes);
  if (!region) {
    return;
  }
  const std::vector<TRect> raw = RawRects(ABytes);
  CheckBanded(region->Rects());
  CheckSamePixels(*region, raw);
  CheckBounds(*region, raw);
  CheckRecordRoundTrip(*region);
  FUZZ_CHECK(TRegion::FromRects(region->Rects()) == *region);
  FUZZ_CHECK(region->Union(*region) == *region);
  CheckMirror(*region);
  CheckMoveTo(*region, 5, 18);
  CheckMoveTo(*region, INT32_LOW, INT32_HIGH);
  // The record's own stored box corner, which the input controls.
  CheckMoveTo(*region, Int32At(ABytes, 16), Int32At(ABytes, 20));
}

} // namespace
} // namespace nyarumi::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* AData, std::size_t ASize) {
  nyarumi::fuzz::CheckRecord(std::span<const std::uint8_t>(AData, ASize));
  return 0;
}
