#pragma once

#include <QImage>

#include <cstdint>
#include <vector>

namespace cadrelle {

// Encodes an opaque image as an 8-bit RGB PNG without an alpha channel (store
// listings refuse transparency), marked sRGB. The bytes depend only on the
// pixels. Throws "Unable to create PNG data." when libspng fails.
std::vector<std::uint8_t> encodeRgbPng(const QImage& image);

} // namespace cadrelle
