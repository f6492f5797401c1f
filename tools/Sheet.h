#pragma once
// Contact sheets of the 44 frames for looking at the art: the pictures as stored, or with each
// frame's region drawn over it.
#include "tools/Artwork.h"

#include <cstdint>
#include <vector>

namespace nyarumi::art {

// A PNG of all frames, AScale pixels per frame pixel, one group per row: standing (right, then
// left), then level, up and down running, right then left, pictures 0 to 5. With AOutlines the
// region's edge is marked and pixels outside the region are greyed.
std::vector<std::uint8_t> ContactSheet(const TArtwork& AArt, int AScale, bool AOutlines);

} // namespace nyarumi::art
