#pragma once

#include "frames/Raster.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace cadrelle {

// Encodes a premultiplied RGBA raster as a PNG in memory: 8-bit RGBA with
// straight (not premultiplied) alpha and an sRGB chunk. The output depends only
// on the pixels, so the same raster always gives the same bytes, whatever the
// number of threads. Throws "Unable to create PNG data." or "Unable to finish
// the PNG.".
std::vector<std::uint8_t> encodePng(const Raster& raster);

// Writes row `y` of an image as premultiplied RGBA8, 4 × width bytes, to
// `row`. Called from several threads at once, for rows in any order, and
// for some rows more than once, so it must give the same bytes every time.
using PremultipliedRowSource = std::function<void(std::int64_t y, std::uint8_t* row)>;

// The same encoding for an image produced row by row, so that a composite
// never needs a whole canvas in memory. The image is cut into strips of rows
// that are filtered and compressed on up to `threads` threads (0: one per
// available core) into one zlib stream; the strips do not depend on the
// number of threads, nor therefore do the bytes.
std::vector<std::uint8_t> encodePng(std::int64_t width, std::int64_t height,
                                    const PremultipliedRowSource& rowSource,
                                    std::size_t threads = 0);

// Writes row `y` of an opaque image as RGB8, 3 × width bytes, to `row`, under
// the same rules as a PremultipliedRowSource.
using RgbRowSource = std::function<void(std::int64_t y, std::uint8_t* row)>;

// The same encoding, strips and compression for an opaque image, stored as
// 8-bit RGB without an alpha channel and marked sRGB.
std::vector<std::uint8_t> encodeRgbPng(std::int64_t width, std::int64_t height,
                                       const RgbRowSource& rowSource, std::size_t threads = 0);

} // namespace cadrelle
