#include "shell/platform/CopyRects.h"

#include <algorithm>

namespace nyarumi {
namespace {

std::int32_t ScaleBy(std::int32_t AOffset, std::int32_t ATo, std::int32_t AFrom) {
  return static_cast<std::int32_t>(static_cast<std::int64_t>(AOffset) * ATo / AFrom);
}

} // namespace

std::optional<TCopyRects> ClipCopy(const TRect& ADest, const TRect& ASource, std::int32_t AWidth,
                                   std::int32_t AHeight) {
  if (ADest.IsEmpty() || ASource.IsEmpty()) {
    return std::nullopt;
  }
  const TRect c{std::max(ASource.Left, 0), std::max(ASource.Top, 0),
                std::min(ASource.Right, AWidth), std::min(ASource.Bottom, AHeight)};
  if (c.IsEmpty()) {
    return std::nullopt;
  }
  const std::int32_t dw = ADest.Width(), dh = ADest.Height();
  const std::int32_t sw = ASource.Width(), sh = ASource.Height();
  const TRect d{ADest.Left + ScaleBy(c.Left - ASource.Left, dw, sw),
                ADest.Top + ScaleBy(c.Top - ASource.Top, dh, sh),
                ADest.Left + ScaleBy(c.Right - ASource.Left, dw, sw),
                ADest.Top + ScaleBy(c.Bottom - ASource.Top, dh, sh)};
  if (d.IsEmpty()) {
    return std::nullopt;
  }
  return TCopyRects{d, c};
}

} // namespace nyarumi
