#pragma once

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace cadrelle {

// Encodes an opaque image as an 8-bit RGB PNG without an alpha channel (store
// listings refuse transparency), marked sRGB. Rows are filtered and deflated
// in strips of the project's deflate (DeflateStrip) on up to `threads`
// threads (0: one per core); the strips depend on the size only, so the bytes
// depend only on the pixels. Throws "Unable to create PNG data.".
std::vector<std::uint8_t> encodeRgbPng(const QImage& image, std::size_t threads = 0);

} // namespace cadrelle
