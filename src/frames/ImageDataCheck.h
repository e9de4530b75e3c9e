#pragma once

#include <cstdint>
#include <span>

namespace cadrelle {

// The layout fields of a PNG header that decide how many bytes its image
// data inflates to.
struct ImageLayout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    unsigned bitDepth = 0;
    unsigned colorType = 0;
    bool interlaced = false;
};

// True when the zlib stream in the PNG's IDAT chunks ends exactly where the
// image's scanlines end: a stream that inflates to more (a decompression
// bomb) or carries extra data after its end is refused. The PNG must already
// have passed the decoder's chunk checks. Inflating stops as soon as the
// stream exceeds the expected size, so the work is bounded by the image.
bool imageDataHasExactLength(std::span<const std::uint8_t> png, const ImageLayout& layout);

} // namespace cadrelle
