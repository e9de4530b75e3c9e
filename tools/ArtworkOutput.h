#pragma once

#include "frames/Raster.h"

#include <QImage>

#include <cstdint>
#include <filesystem>
#include <vector>

namespace cadrelle::artwork {

// The picture as a premultiplied RGBA raster, the form the program itself
// decodes PNGs into.
Raster toRaster(const QImage& image);

// The picture as 8-bit RGBA PNG bytes, the same bytes for the same pixels.
std::vector<std::uint8_t> pngBytes(const QImage& image);

// Writes the picture as a PNG, replacing any file of that name.
void writePng(const QImage& image, const std::filesystem::path& path);

} // namespace cadrelle::artwork
