#pragma once
#include <cstdint>

namespace nyarumi {

struct TPoint {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

// Right and bottom are exclusive.
struct TRect {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Right = 0;
  std::int32_t Bottom = 0;
  std::int32_t Width() const { return Right - Left; }
  std::int32_t Height() const { return Bottom - Top; }
  bool IsEmpty() const { return Left >= Right || Top >= Bottom; }
  // Whether every pixel of AInner lies in this rectangle.
  bool Covers(const TRect& AInner) const {
    return Left <= AInner.Left && Top <= AInner.Top && Right >= AInner.Right &&
           Bottom >= AInner.Bottom;
  }
  // The smallest rectangle holding both.
  TRect Span(const TRect& AOther) const {
    return {Left < AOther.Left ? Left : AOther.Left, Top < AOther.Top ? Top : AOther.Top,
            Right > AOther.Right ? Right : AOther.Right,
            Bottom > AOther.Bottom ? Bottom : AOther.Bottom};
  }
  friend bool operator==(const TRect&, const TRect&) = default;
};

} // namespace nyarumi
