#include "shell/platform/qt_region.h"

#include <QList>
#include <QRect>

namespace nyarumi::qt {

bool IsBanded(std::span<const TRect> ARects) {
  for (std::size_t I = 0; I < ARects.size(); ++I) {
    const TRect& R = ARects[I];
    if (R.IsEmpty()) {
      return false;
    }
    if (I == 0) {
      continue;
    }
    const TRect& P = ARects[I - 1];
    const bool SameBand = R.Top == P.Top;
    if (SameBand ? (R.Bottom != P.Bottom || R.Left <= P.Right) : R.Top < P.Bottom) {
      return false;
    }
  }
  return true;
}

QRegion RegionOf(std::span<const TRect> ARects) {
  if (IsBanded(ARects)) {
    QList<QRect> Rects;
    Rects.reserve(static_cast<qsizetype>(ARects.size()));
    for (const TRect& R : ARects) {
      Rects.append(QRect(R.Left, R.Top, R.Width(), R.Height()));
    }
    QRegion Result;
    Result.setRects(Rects.constData(), static_cast<int>(Rects.size()));
    return Result;
  }
  QRegion Result;
  for (const TRect& R : ARects) {
    if (!R.IsEmpty()) {
      Result += QRect(R.Left, R.Top, R.Width(), R.Height());
    }
  }
  return Result;
}

} // namespace nyarumi::qt
