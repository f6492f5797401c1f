#pragma once
// A minimal region value used until the shared region type of shape/ is available: a list of
// rectangles with the few operations the handle table needs. Pixel semantics only; the
// rectangle list is not normalised.
#include "common/Geometry.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

namespace nyarumi::standin {

class TRegion {
public:
  static TRegion FromRects(std::vector<TRect> ARects) {
    TRegion r;
    for (const TRect& rc : ARects) {
      if (!rc.IsEmpty()) {
        r.FRects.push_back(rc);
      }
    }
    return r;
  }
  static std::optional<TRegion> FromRecord(std::span<const std::uint8_t> ABytes) {
    auto at = [&](std::size_t i) {
      std::int32_t v;
      std::memcpy(&v, ABytes.data() + i, 4);
      return v;
    };
    if (ABytes.size() < 32 || at(0) != 32 || at(4) != 1) {
      return std::nullopt;
    }
    const std::int32_t n = at(8);
    if (n < 0 || static_cast<std::size_t>(n) > (ABytes.size() - 32) / 16) {
      return std::nullopt;
    }
    std::vector<TRect> rects;
    for (std::int32_t i = 0; i < n; ++i) {
      const std::size_t o = 32 + static_cast<std::size_t>(i) * 16;
      rects.push_back({at(o), at(o + 4), at(o + 8), at(o + 12)});
    }
    return FromRects(std::move(rects));
  }
  bool IsEmpty() const { return FRects.empty(); }
  const std::vector<TRect>& Rects() const { return FRects; }
  TRect Bounds() const {
    if (FRects.empty()) {
      return {};
    }
    TRect b = FRects.front();
    for (const TRect& r : FRects) {
      b = {std::min(b.Left, r.Left), std::min(b.Top, r.Top), std::max(b.Right, r.Right),
           std::max(b.Bottom, r.Bottom)};
    }
    return b;
  }
  void Offset(std::int32_t ADx, std::int32_t ADy) {
    for (TRect& r : FRects) {
      r = {r.Left + ADx, r.Top + ADy, r.Right + ADx, r.Bottom + ADy};
    }
  }
  TRegion Union(const TRegion& AOther) const {
    TRegion r = *this;
    r.FRects.insert(r.FRects.end(), AOther.FRects.begin(), AOther.FRects.end());
    return r;
  }

private:
  std::vector<TRect> FRects;
};

} // namespace nyarumi::standin
