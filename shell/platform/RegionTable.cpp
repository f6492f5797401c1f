#include "shell/platform/RegionTable.h"

namespace nyarumi {

bool RegionContains(const TRegionValue& ARegion, TPoint APoint) {
  for (const TRect& r : ARegion.Rects()) {
    if (APoint.X >= r.Left && APoint.X < r.Right && APoint.Y >= r.Top && APoint.Y < r.Bottom) {
      return true;
    }
  }
  return false;
}

TRegionKind KindOf(const TRegionValue& ARegion) {
  if (ARegion.IsEmpty()) {
    return TRegionKind::Null;
  }
  return ARegion.Rects().size() == 1 ? TRegionKind::Simple : TRegionKind::Complex;
}

RegionId RegionTable::Add(TRegionValue ARegion) {
  const auto id = static_cast<RegionId>(FNextHandle++);
  FRegions.emplace(id, std::move(ARegion));
  return id;
}

RegionId RegionTable::CreateRectRgn(std::int32_t ALeft, std::int32_t ATop, std::int32_t ARight,
                                    std::int32_t ABottom) {
  // Swapped edges describe the same rectangle, as callers of the native call expect.
  const TRect r{std::min(ALeft, ARight), std::min(ATop, ABottom), std::max(ALeft, ARight),
                std::max(ATop, ABottom)};
  return Add(TRegionValue::FromRects({r}));
}

TRegionKind RegionTable::CombineRgn(RegionId ADest, RegionId ASource1, RegionId ASource2,
                                    TCombineMode AMode) {
  auto dest = FRegions.find(ADest);
  const TRegionValue* a = Find(ASource1);
  const TRegionValue* b = Find(ASource2);
  if (dest == FRegions.end() || a == nullptr || b == nullptr || AMode != TCombineMode::Or) {
    return TRegionKind::Error;
  }
  dest->second = a->Union(*b);
  return KindOf(dest->second);
}

RegionId RegionTable::ExtCreateRegion(std::span<const std::uint8_t> ARecord) {
  std::optional<TRegionValue> region = TRegionValue::FromRecord(ARecord);
  if (!region) {
    return RegionId::None;
  }
  return Add(std::move(*region));
}

TRegionKind RegionTable::GetRgnBox(RegionId ARegion, TRect& ABox) const {
  const TRegionValue* r = Find(ARegion);
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
  it->second.Offset(ADx, ADy);
  return KindOf(it->second);
}

bool RegionTable::DeleteObject(RegionId ARegion) {
  return FRegions.erase(ARegion) == 1;
}

std::optional<TRegionValue> RegionTable::Take(RegionId ARegion) {
  auto it = FRegions.find(ARegion);
  if (it == FRegions.end()) {
    return std::nullopt;
  }
  TRegionValue r = std::move(it->second);
  FRegions.erase(it);
  return r;
}

const TRegionValue* RegionTable::Find(RegionId ARegion) const {
  auto it = FRegions.find(ARegion);
  return it == FRegions.end() ? nullptr : &it->second;
}

} // namespace nyarumi
