#include "shape/Region.h"

#include <algorithm>
#include <limits>

namespace nyarumi {
namespace {

constexpr std::size_t HEADER_SIZE = 32;
constexpr std::size_t RECT_SIZE = 16;
constexpr std::uint32_t RDH_RECTANGLES = 1;

std::int32_t ReadInt32(std::span<const std::uint8_t> ABytes, std::size_t AOffset) {
  const std::uint32_t u = static_cast<std::uint32_t>(ABytes[AOffset]) |
                          static_cast<std::uint32_t>(ABytes[AOffset + 1]) << 8 |
                          static_cast<std::uint32_t>(ABytes[AOffset + 2]) << 16 |
                          static_cast<std::uint32_t>(ABytes[AOffset + 3]) << 24;
  return static_cast<std::int32_t>(u);
}

void WriteInt32(std::vector<std::uint8_t>& AOut, std::int32_t AValue) {
  const auto u = static_cast<std::uint32_t>(AValue);
  for (int i = 0; i < 4; ++i) {
    AOut.push_back(static_cast<std::uint8_t>(u >> (8 * i)));
  }
}

void WriteRect(std::vector<std::uint8_t>& AOut, const TRect& ARect) {
  WriteInt32(AOut, ARect.Left);
  WriteInt32(AOut, ARect.Top);
  WriteInt32(AOut, ARect.Right);
  WriteInt32(AOut, ARect.Bottom);
}

using TSpan = std::pair<std::int32_t, std::int32_t>; // [left, right)

// Sorts and merges overlapping or touching spans in place.
void MergeSpans(std::vector<TSpan>& ASpans) {
  std::sort(ASpans.begin(), ASpans.end());
  std::size_t kept = 0;
  for (const TSpan& s : ASpans) {
    if (kept > 0 && s.first <= ASpans[kept - 1].second) {
      ASpans[kept - 1].second = std::max(ASpans[kept - 1].second, s.second);
    } else {
      ASpans[kept++] = s;
    }
  }
  ASpans.resize(kept);
}

// Whether the rectangles are already the banded form FromRects makes: bands top to bottom that
// neither overlap nor continue each other with the same spans, and in each band spans left to
// right with gaps between them. Her stored outlines all are, and she loads one every tick.
bool IsBanded(const std::vector<TRect>& ARects) {
  std::size_t previous = 0, previousEnd = 0; // the previous band, [previous, previousEnd)
  for (std::size_t i = 0; i < ARects.size();) {
    const TRect& first = ARects[i];
    std::size_t end = i;
    for (; end < ARects.size() && ARects[end].Top == first.Top; ++end) {
      const TRect& r = ARects[end];
      if (r.IsEmpty() || r.Bottom != first.Bottom || (end > i && r.Left <= ARects[end - 1].Right)) {
        return false;
      }
    }
    if (previousEnd > 0) {
      const std::int32_t previousBottom = ARects[previous].Bottom;
      const bool sameSpans = end - i == previousEnd - previous &&
                             std::equal(ARects.begin() + static_cast<std::ptrdiff_t>(i),
                                        ARects.begin() + static_cast<std::ptrdiff_t>(end),
                                        ARects.begin() + static_cast<std::ptrdiff_t>(previous),
                                        [](const TRect& a, const TRect& b) {
                                          return a.Left == b.Left && a.Right == b.Right;
                                        });
      if (first.Top < previousBottom || (first.Top == previousBottom && sameSpans)) {
        return false;
      }
    }
    previous = i;
    previousEnd = end;
    i = end;
  }
  return true;
}

bool FitsInt32(std::int64_t AValue) {
  return AValue >= std::numeric_limits<std::int32_t>::min() &&
         AValue <= std::numeric_limits<std::int32_t>::max();
}

} // namespace

std::optional<TRegion> TRegion::FromRecord(std::span<const std::uint8_t> ARecord) {
  if (ARecord.size() < HEADER_SIZE) {
    return std::nullopt;
  }
  const auto headerSize = static_cast<std::uint32_t>(ReadInt32(ARecord, 0));
  const auto type = static_cast<std::uint32_t>(ReadInt32(ARecord, 4));
  const auto count = static_cast<std::uint32_t>(ReadInt32(ARecord, 8));
  const auto rectBytes = static_cast<std::uint32_t>(ReadInt32(ARecord, 12));
  if (headerSize != HEADER_SIZE || type != RDH_RECTANGLES ||
      std::uint64_t{rectBytes} != std::uint64_t{count} * RECT_SIZE ||
      std::uint64_t{ARecord.size()} != HEADER_SIZE + std::uint64_t{rectBytes}) {
    return std::nullopt;
  }
  std::vector<TRect> rects;
  rects.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = HEADER_SIZE + i * RECT_SIZE;
    TRect r{ReadInt32(ARecord, at), ReadInt32(ARecord, at + 4), ReadInt32(ARecord, at + 8),
            ReadInt32(ARecord, at + 12)};
    if (r.IsEmpty()) {
      return std::nullopt;
    }
    rects.push_back(r);
  }
  return FromRects(std::move(rects));
}

TRegion TRegion::FromRects(std::vector<TRect> ARects) {
  if (IsBanded(ARects)) {
    return TRegion(std::move(ARects));
  }
  std::erase_if(ARects, [](const TRect& r) { return r.IsEmpty(); });
  std::sort(ARects.begin(), ARects.end(),
            [](const TRect& a, const TRect& b) { return a.Top < b.Top; });
  // Every scan line between two consecutive edges is covered by the same rectangles.
  std::vector<std::int32_t> edges;
  edges.reserve(ARects.size() * 2);
  for (const TRect& r : ARects) {
    edges.push_back(r.Top);
    edges.push_back(r.Bottom);
  }
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());

  std::vector<TRect> out;
  std::vector<TRect> active; // the rectangles that cover the current scan lines
  std::size_t next = 0;      // first rectangle not yet active
  std::vector<TSpan> previous;
  std::int32_t previousBottom = 0;
  std::size_t previousStart = 0;
  for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
    const std::int32_t top = edges[i];
    const std::int32_t bottom = edges[i + 1];
    std::erase_if(active, [&](const TRect& r) { return r.Bottom <= top; });
    while (next < ARects.size() && ARects[next].Top == top) {
      active.push_back(ARects[next++]);
    }
    std::vector<TSpan> spans;
    spans.reserve(active.size());
    for (const TRect& r : active) {
      spans.emplace_back(r.Left, r.Right);
    }
    MergeSpans(spans);
    if (spans.empty()) {
      previous.clear();
      continue;
    }
    if (!previous.empty() && previousBottom == top && spans == previous) {
      // The same spans right below the last band: grow that band instead of starting one.
      for (std::size_t k = previousStart; k < out.size(); ++k) {
        out[k].Bottom = bottom;
      }
    } else {
      previousStart = out.size();
      for (const TSpan& s : spans) {
        out.push_back(TRect{s.first, top, s.second, bottom});
      }
      previous = std::move(spans);
    }
    previousBottom = bottom;
  }
  return TRegion(std::move(out));
}

TRegion::TRegion(std::vector<TRect> ABanded) {
  if (!ABanded.empty()) {
    FRects = std::make_shared<std::vector<TRect>>(std::move(ABanded));
  }
}

const std::vector<TRect>& TRegion::Rects() const {
  static const std::vector<TRect> none;
  return FRects != nullptr ? *FRects : none;
}

std::vector<std::uint8_t> TRegion::ToRecord() const {
  const std::vector<TRect>& rects = Rects();
  std::vector<std::uint8_t> out;
  out.reserve(HEADER_SIZE + rects.size() * RECT_SIZE);
  WriteInt32(out, static_cast<std::int32_t>(HEADER_SIZE));
  WriteInt32(out, static_cast<std::int32_t>(RDH_RECTANGLES));
  WriteInt32(out, static_cast<std::int32_t>(rects.size()));
  WriteInt32(out, static_cast<std::int32_t>(rects.size() * RECT_SIZE));
  WriteRect(out, Bounds());
  for (const TRect& r : rects) {
    WriteRect(out, r);
  }
  return out;
}

TRect TRegion::Bounds() const {
  if (FRects == nullptr) {
    return TRect{};
  }
  const std::vector<TRect>& rects = *FRects;
  TRect box = rects.front();
  for (const TRect& r : rects) {
    box.Left = std::min(box.Left, r.Left);
    box.Right = std::max(box.Right, r.Right);
  }
  box.Bottom = rects.back().Bottom; // bands are sorted and do not overlap
  return box;
}

std::int64_t TRegion::Area() const {
  // One rectangle near the 32-bit limits already holds more than 2^63 pixels, so count unsigned
  // and stop at the largest result instead of overflowing.
  constexpr auto LIMIT = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  std::uint64_t area = 0;
  for (const TRect& r : Rects()) {
    const std::uint64_t rect = static_cast<std::uint64_t>(std::int64_t{r.Right} - r.Left) *
                               static_cast<std::uint64_t>(std::int64_t{r.Bottom} - r.Top);
    area = rect > LIMIT - area ? LIMIT : area + rect;
  }
  return static_cast<std::int64_t>(area);
}

bool TRegion::Contains(std::int32_t AX, std::int32_t AY) const {
  const std::vector<TRect>& rects = Rects();
  return std::any_of(rects.begin(), rects.end(), [&](const TRect& r) {
    return r.Left <= AX && AX < r.Right && r.Top <= AY && AY < r.Bottom;
  });
}

bool TRegion::Offset(std::int32_t ADx, std::int32_t ADy) {
  if (FRects == nullptr || (ADx == 0 && ADy == 0)) {
    return true;
  }
  const TRect box = Bounds();
  if (!FitsInt32(std::int64_t{box.Left} + ADx) || !FitsInt32(std::int64_t{box.Right} + ADx) ||
      !FitsInt32(std::int64_t{box.Top} + ADy) || !FitsInt32(std::int64_t{box.Bottom} + ADy)) {
    return false;
  }
  if (FRects.use_count() > 1) {
    FRects = std::make_shared<std::vector<TRect>>(*FRects); // the copies keep their place
  }
  for (TRect& r : *FRects) {
    r.Left += ADx;
    r.Right += ADx;
    r.Top += ADy;
    r.Bottom += ADy;
  }
  return true;
}

TRegion TRegion::Union(const TRegion& AOther) const {
  // With nothing on one side the other is the answer, normalised already: every step copies
  // her outline this way.
  if (FRects == nullptr) {
    return AOther;
  }
  if (AOther.FRects == nullptr || SharesRects(AOther)) {
    return *this;
  }
  std::vector<TRect> all = *FRects;
  all.insert(all.end(), AOther.FRects->begin(), AOther.FRects->end());
  return FromRects(std::move(all));
}

std::optional<TRegion> TRegion::MirrorX(std::int32_t AWidth) const {
  std::vector<TRect> mirrored;
  mirrored.reserve(Rects().size());
  for (const TRect& r : Rects()) {
    const std::int64_t left = std::int64_t{AWidth} - r.Right;
    const std::int64_t right = std::int64_t{AWidth} - r.Left;
    if (!FitsInt32(left) || !FitsInt32(right)) {
      return std::nullopt;
    }
    mirrored.push_back(
        TRect{static_cast<std::int32_t>(left), r.Top, static_cast<std::int32_t>(right), r.Bottom});
  }
  return FromRects(std::move(mirrored));
}

} // namespace nyarumi
