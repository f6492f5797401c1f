#include "shell/platform/RegionTable.h"

namespace nyarumi {

TRegionKind KindOf(const TRegion& ARegion) {
  if (ARegion.IsEmpty()) {
    return TRegionKind::Null;
  }
  return ARegion.Rects().size() == 1 ? TRegionKind::Simple : TRegionKind::Complex;
}

RegionId RegionTable::Add(TRegion ARegion) {
  const auto id = static_cast<RegionId>(FNextHandle++);
  FRegions.emplace(id, std::move(ARegion));
  return id;
}

RegionId RegionTable::CreateRectRgn(std::int32_t ALeft, std::int32_t ATop, std::int32_t ARight,
                                    std::int32_t ABottom) {
  // Swapped edges describe the same rectangle, as callers of the native call expect.
  const TRect r{std::min(ALeft, ARight), std::min(ATop, ABottom), std::max(ALeft, ARight),
                std::max(ATop, ABottom)};
  return Add(TRegion::FromRects({r}));
}

TRegionKind RegionTable::CombineRgn(RegionId ADest, RegionId ASource1, RegionId ASource2,
                                    TCombineMode AMode) {
  auto dest = FRegions.find(ADest);
  const TRegion* a = Find(ASource1);
  const TRegion* b = Find(ASource2);
  if (dest == FRegions.end() || a == nullptr || b == nullptr || AMode != TCombineMode::Or) {
    return TRegionKind::Error;
  }
  dest->second = a->Union(*b);
  return KindOf(dest->second);
}

RegionId RegionTable::ExtCreateRegion(std::span<const std::uint8_t> ARecord) {
  std::optional<TRegion> region = TRegion::FromRecord(ARecord);
  if (!region) {
    return RegionId::None;
  }
  return Add(std::move(*region));
}

TRegionKind RegionTable::GetRgnBox(RegionId ARegion, TRect& ABox) const {
  const TRegion* r = Find(ARegion);
  if (r == nullptr) {
    return TRegionKind::Error;
  }
  ABox = r->Bounds();
  return KindOf(*r);
}

TRegionKind RegionTable::OffsetRgn(RegionId ARegion, std::int32_t ADx, std::int32_t ADy) {
  auto it = FRegions.find(ARegion);
  if (it == FRegions.end()) {
    return TRegionKind::Error;
  }
  // A move that would leave the coordinate range fails and leaves the region as it was.
  if (!it->second.Offset(ADx, ADy)) {
    return TRegionKind::Error;
  }
  return KindOf(it->second);
}

bool RegionTable::DeleteObject(RegionId ARegion) {
  return FRegions.erase(ARegion) == 1;
}

std::optional<TRegion> RegionTable::Take(RegionId ARegion) {
  auto it = FRegions.find(ARegion);
  if (it == FRegions.end()) {
    return std::nullopt;
  }
  TRegion r = std::move(it->second);
  FRegions.erase(it);
  return r;
}

const TRegion* RegionTable::Find(RegionId ARegion) const {
  auto it = FRegions.find(ARegion);
  return it == FRegions.end() ? nullptr : &it->second;
}

} // namespace nyarumi
