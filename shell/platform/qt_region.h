#pragma once
// Turning a region's rectangle list into a QRegion, the form a window mask takes.
#include "common/Geometry.h"

#include <QRegion>

#include <span>

namespace nyarumi::qt {

// The union of the rectangles. Lists already in the canonical banded order (what region records
// normally hold) are taken over as they are; any other list is merged rectangle by rectangle.
QRegion RegionOf(std::span<const TRect> ARects);

// Whether the list is in the canonical form QRegion::setRects requires: bands sorted from top
// to bottom that do not overlap, one height per band, rectangles in a band sorted from left to
// right that neither overlap nor touch.
bool IsBanded(std::span<const TRect> ARects);

} // namespace nyarumi::qt
