#pragma once
// The clipping of a picture copy that every backend's canvas does the same way.
#include "common/Geometry.h"

#include <cstdint>
#include <optional>

namespace nyarumi {

// The part of a copy that falls inside the picture: the source clipped to the picture and the
// matching part of the destination (scaled when the two sizes differ). Nothing when no pixel
// of the source lies inside the picture or either rectangle is empty.
struct TCopyRects {
  TRect Dest;
  TRect Source;
};
std::optional<TCopyRects> ClipCopy(const TRect& ADest, const TRect& ASource, std::int32_t AWidth,
                                   std::int32_t AHeight);

} // namespace nyarumi
