#pragma once

#include "frames/Raster.h"

#include <cstdint>
#include <vector>

namespace cadrelle {

// Encodes a premultiplied RGBA raster as a PNG in memory: 8-bit RGBA with
// straight (not premultiplied) alpha and an sRGB chunk. The output depends only
// on the pixels, so the same raster always gives the same bytes. Throws
// "Unable to create PNG data." or "Unable to finish the PNG.".
std::vector<std::uint8_t> encodePng(const Raster& raster);

} // namespace cadrelle
