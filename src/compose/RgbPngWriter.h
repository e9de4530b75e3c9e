#pragma once

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace cadrelle {

// Encodes an opaque image as an 8-bit RGB PNG without an alpha channel (store
// listings refuse transparency), marked sRGB, with the framed screenshots'
// encoder on up to `threads` threads (0: one per core); the bytes depend only
// on the pixels. Throws "Unable to create PNG data.".
std::vector<std::uint8_t> encodeRgbPng(const QImage& image, std::size_t threads = 0);

} // namespace cadrelle
