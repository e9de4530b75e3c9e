#pragma once

#include "frames/FrameAsset.h"
#include "frames/Raster.h"

#include <cstdint>
#include <vector>

namespace cadrelle {

// A frame's transparent screen opening: its bounding box and a mask of
// width × height bytes, 255 for pixels of the opening and 0 for all others.
struct ScreenOpening {
    PixelRect rect;
    std::vector<std::uint8_t> mask;
};

// Flood-fills the transparent region connected to the centre pixel (4-connected)
// and checks that it is closed and large enough; throws AppError.
ScreenOpening screenOpening(const Raster& raster);

} // namespace cadrelle
