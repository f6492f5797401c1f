#include "shell/platform/RegionTable.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <iterator>
#include <type_traits>

namespace nyarumi {
namespace {

constexpr std::size_t PARSED_KEPT = 16; // more than the frames of her longest loop
constexpr std::size_t RECORD_HEADER = 32;

static_assert(sizeof(TRect) == 16 && std::is_standard_layout_v<TRect>,
              "a rectangle is laid out as a record stores it");

// Whether ARecord holds exactly ARegion's rectangles, in its own order, under a header that
// reading would accept. The header's bounding box is not read, so it is not compared either.
bool RecordHolds(std::span<const std::uint8_t> ARecord, const TRegion& ARegion) {
  if constexpr (std::endian::native != std::endian::little) {
    return false;
  }
  const std::vector<TRect>& rects = ARegion.Rects();
  const std::size_t bytes = rects.size() * sizeof(TRect);
  if (ARecord.size() != RECORD_HEADER + bytes) {
    return false;
  }
  const std::uint32_t header[4] = {RECORD_HEADER, 1, static_cast<std::uint32_t>(rects.size()),
                                   static_cast<std::uint32_t>(bytes)};
  return std::memcmp(ARecord.data(), header, sizeof header) == 0 &&
         (bytes == 0 || std::memcmp(ARecord.data() + RECORD_HEADER, rects.data(), bytes) == 0);
}

} // namespace

TRegionKind KindOf(const TRegion& ARegion) {
  if (ARegion.IsEmpty()) {
    return TRegionKind::Null;
  }
  return ARegion.Rects().size() == 1 ? TRegionKind::Simple : TRegionKind::Complex;
}

RegionId RegionTable::Add(TRegion ARegion) {
  const auto id = static_cast<RegionId>(FNextHandle++);
  FRegions.emplace_back(id, std::move(ARegion));
  return id;
}

TRegion* RegionTable::FindMutable(RegionId ARegion) {
  return const_cast<TRegion*>(Find(ARegion));
}

std::optional<TRegion> RegionTable::Parse(std::span<const std::uint8_t> ARecord) {
  for (const TParsed& p : FParsed) {
    if (p.Data == ARecord.data() && p.Size == ARecord.size() && RecordHolds(ARecord, p.Region)) {
      return p.Region; // shares the rectangles
    }
  }
  std::optional<TRegion> region = TRegion::FromRecord(ARecord);
  // Only a record that is already in the banded form can be recognised by its bytes later.
  if (region && !region->IsEmpty() && RecordHolds(ARecord, *region)) {
    TParsed p{ARecord.data(), ARecord.size(), *region, {}, 0, 0};
    if (FParsed.size() < PARSED_KEPT) {
      FParsed.push_back(std::move(p));
    } else {
      FParsed[FNextParsed] = std::move(p);
      FNextParsed = (FNextParsed + 1) % PARSED_KEPT;
    }
  }
  return region;
}

RegionId RegionTable::CreateRectRgn(std::int32_t ALeft, std::int32_t ATop, std::int32_t ARight,
                                    std::int32_t ABottom) {
  // Swapped edges describe the same rectangle, as callers of the native call expect.
  const TRect r{std::min(ALeft, ARight), std::min(ATop, ABottom), std::max(ALeft, ARight),
                std::max(ATop, ABottom)};
  // An empty one is what every step's copy of her outline starts from.
  return Add(r.IsEmpty() ? TRegion() : TRegion::FromRects({r}));
}

TRegionKind RegionTable::CombineRgn(RegionId ADest, RegionId ASource1, RegionId ASource2,
                                    TCombineMode AMode) {
  TRegion* dest = FindMutable(ADest);
  const TRegion* a = Find(ASource1);
  const TRegion* b = Find(ASource2);
  if (dest == nullptr || a == nullptr || b == nullptr || AMode != TCombineMode::Or) {
    return TRegionKind::Error;
  }
  *dest = a->Union(*b);
  return KindOf(*dest);
}

RegionId RegionTable::ExtCreateRegion(std::span<const std::uint8_t> ARecord) {
  std::optional<TRegion> region = Parse(ARecord);
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
  TRegion* region = FindMutable(ARegion);
  if (region == nullptr) {
    return TRegionKind::Error;
  }
  const auto parsed = std::find_if(FParsed.begin(), FParsed.end(), [&](const TParsed& AParsed) {
    return region->SharesRects(AParsed.Region);
  });
  if (parsed != FParsed.end() && !parsed->Moved.IsEmpty() && parsed->Dx == ADx &&
      parsed->Dy == ADy) {
    *region = parsed->Moved; // shares the moved rectangles
    return KindOf(*region);
  }
  // A move that would leave the coordinate range fails and leaves the region as it was.
  if (!region->Offset(ADx, ADy)) {
    return TRegionKind::Error;
  }
  if (parsed != FParsed.end()) {
    parsed->Moved = *region;
    parsed->Dx = ADx;
    parsed->Dy = ADy;
  }
  return KindOf(*region);
}

bool RegionTable::DeleteObject(RegionId ARegion) {
  return Take(ARegion).has_value();
}

std::optional<TRegion> RegionTable::Take(RegionId ARegion) {
  const auto it = std::find_if(FRegions.begin(), FRegions.end(),
                               [&](const auto& AEntry) { return AEntry.first == ARegion; });
  if (it == FRegions.end()) {
    return std::nullopt;
  }
  TRegion r = std::move(it->second);
  // The order of the list means nothing: the last entry fills the gap.
  if (it != std::prev(FRegions.end())) {
    *it = std::move(FRegions.back());
  }
  FRegions.pop_back();
  return r;
}

const TRegion* RegionTable::Find(RegionId ARegion) const {
  const auto it = std::find_if(FRegions.begin(), FRegions.end(),
                               [&](const auto& AEntry) { return AEntry.first == ARegion; });
  return it == FRegions.end() ? nullptr : &it->second;
}

} // namespace nyarumi
