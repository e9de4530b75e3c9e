#pragma once

#include "frames/Raster.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace cadrelle {

// Encodes a premultiplied RGBA raster as a PNG in memory: 8-bit RGBA with
// straight (not premultiplied) alpha and an sRGB chunk. The output depends only
// on the pixels, so the same raster always gives the same bytes. Throws
// "Unable to create PNG data." or "Unable to finish the PNG.".
std::vector<std::uint8_t> encodePng(const Raster& raster);

// Gives row `y` of an image as premultiplied RGBA8, 4 × width bytes, valid
// until the next call.
using PremultipliedRowSource = std::function<const std::uint8_t*(std::int64_t y)>;

// The same encoding for an image produced row by row, top to bottom, so that
// a composite never needs a whole canvas in memory.
std::vector<std::uint8_t> encodePng(std::int64_t width, std::int64_t height,
                                    const PremultipliedRowSource& rowSource);

} // namespace cadrelle
