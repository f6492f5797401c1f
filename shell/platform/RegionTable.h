#pragma once
// The region handles of a backend: a table of region values behind the opaque handles of the
// platform interface. Every backend keeps its regions here and only turns a region into a native
// outline when SetWindowRgn takes it over, so region semantics are the same on every platform.
#include "shape/Region.h"
#include "shell/platform/Platform.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace nyarumi {

class RegionTable {
public:
  RegionId CreateRectRgn(std::int32_t ALeft, std::int32_t ATop, std::int32_t ARight,
                         std::int32_t ABottom);
  TRegionKind CombineRgn(RegionId ADest, RegionId ASource1, RegionId ASource2, TCombineMode AMode);
  RegionId ExtCreateRegion(std::span<const std::uint8_t> ARecord);
  TRegionKind GetRgnBox(RegionId ARegion, TRect& ABox) const;
  TRegionKind OffsetRgn(RegionId ARegion, std::int32_t ADx, std::int32_t ADy);
  bool DeleteObject(RegionId ARegion);

  // Removes the handle and gives its region to the caller, as SetWindowRgn hands a region to a
  // window; nullopt for an unknown handle.
  std::optional<TRegion> Take(RegionId ARegion);
  const TRegion* Find(RegionId ARegion) const;
  std::size_t LiveCount() const { return FRegions.size(); }

private:
  RegionId Add(TRegion ARegion);
  TRegion* FindMutable(RegionId ARegion);
  std::optional<TRegion> Parse(std::span<const std::uint8_t> ARecord);

  // A handful live at a time: a flat list keeps its capacity, so a step allocates nothing.
  std::vector<std::pair<RegionId, TRegion>> FRegions;
  std::uintptr_t FNextHandle = 1; // handles are never reused, so a stale one is always unknown
  // Records read lately, by where their bytes lie; an entry counts only while those bytes still
  // hold its rectangles. Her holders' outlines are read again on every tick.
  struct TParsed {
    const std::uint8_t* Data = nullptr;
    std::size_t Size = 0;
    TRegion Region;
    // The last move of a region read from it: her holders are moved to the same place each time.
    TRegion Moved;
    std::int32_t Dx = 0;
    std::int32_t Dy = 0;
  };
  std::vector<TParsed> FParsed;
  std::size_t FNextParsed = 0; // the entry the next new record replaces once the list is full
};

TRegionKind KindOf(const TRegion& ARegion);

} // namespace nyarumi
