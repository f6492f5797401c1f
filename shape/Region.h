#pragma once
// A set of pixels held as y-x banded rectangles: sorted by top then left, rectangles of one band
// share top and bottom and neither overlap nor touch, bands do not overlap, and two adjacent
// bands never have the same spans. That form is unique for a pixel set, so equal sets compare
// equal. Region records (rectangle data blocks) convert to and from it.
#include "common/Geometry.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace nyarumi {

class TRegion {
public:
  TRegion() = default;

  // Empty when the record is malformed: a wrong header, count or size, or an empty rectangle.
  // A record with no rectangles is a valid empty region.
  static std::optional<TRegion> FromRecord(std::span<const std::uint8_t> ARecord);
  // The union of any rectangles; empty ones add nothing.
  static TRegion FromRects(std::vector<TRect> ARects);

  // A record with a 32-byte header and the exact bounding box, then the banded rectangles.
  std::vector<std::uint8_t> ToRecord() const;

  const std::vector<TRect>& Rects() const;
  bool IsEmpty() const { return FRects == nullptr; }
  // (0, 0, 0, 0) for an empty region.
  TRect Bounds() const;
  // The number of pixels; the largest int64 when there are more.
  std::int64_t Area() const;
  bool Contains(std::int32_t AX, std::int32_t AY) const;

  // Moves the region; false, leaving it unchanged, when a coordinate would leave 32 bits.
  bool Offset(std::int32_t ADx, std::int32_t ADy);
  TRegion Union(const TRegion& AOther) const;
  // Mirrors within a space AWidth wide: [left, right) becomes [AWidth - right, AWidth - left).
  // Empty when a coordinate would leave 32 bits.
  std::optional<TRegion> MirrorX(std::int32_t AWidth) const;

  // Whether the two hold the very same rectangles, not merely equal ones: copies do until one
  // of them moves.
  bool SharesRects(const TRegion& AOther) const {
    return FRects != nullptr && FRects == AOther.FRects;
  }

  friend bool operator==(const TRegion& A, const TRegion& B) { return A.Rects() == B.Rects(); }

private:
  explicit TRegion(std::vector<TRect> ABanded);
  // Shared by copies until one of them moves: her outline is copied on every step. Null for an
  // empty region.
  std::shared_ptr<std::vector<TRect>> FRects;
};

} // namespace nyarumi
