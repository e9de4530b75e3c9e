#include "PngRowUnfilter.h"

#include <cstdlib>
#include <cstring>

namespace cadrelle {

namespace {

std::uint8_t paeth(int left, int up, int upLeft) {
    const int estimate = left + up - upLeft;
    const int toLeft = std::abs(estimate - left);
    const int toUp = std::abs(estimate - up);
    const int toUpLeft = std::abs(estimate - upLeft);
    if (toLeft <= toUp && toLeft <= toUpLeft) {
        return static_cast<std::uint8_t>(left);
    }
    return static_cast<std::uint8_t>(toUp <= toUpLeft ? up : upLeft);
}

// Undoes one row's filter from `in` into `row`. `above` is the previous row,
// already unfiltered, or nullptr for the first row (which filters against
// zeros). `row` may overlap `in` as long as it starts before it: every byte is
// read before a later one is written.
bool unfilterRow(std::uint8_t type, const std::uint8_t* in, std::uint8_t* row,
                 const std::uint8_t* above, std::size_t bytes, std::size_t step) {
    const auto sum = [](int a, int b) { return static_cast<std::uint8_t>(a + b); };
    switch (type) {
    case 0:
        std::memmove(row, in, bytes);
        return true;
    case 1:
        for (std::size_t i = 0; i < bytes; ++i) {
            row[i] = sum(in[i], i >= step ? row[i - step] : 0);
        }
        return true;
    case 2:
        for (std::size_t i = 0; i < bytes; ++i) {
            row[i] = sum(in[i], above != nullptr ? above[i] : 0);
        }
        return true;
    case 3:
        for (std::size_t i = 0; i < bytes; ++i) {
            const int left = i >= step ? row[i - step] : 0;
            const int up = above != nullptr ? above[i] : 0;
            row[i] = sum(in[i], (left + up) >> 1);
        }
        return true;
    case 4:
        for (std::size_t i = 0; i < bytes; ++i) {
            const int left = i >= step ? row[i - step] : 0;
            const int up = above != nullptr ? above[i] : 0;
            const int upLeft = above != nullptr && i >= step ? above[i - step] : 0;
            row[i] = sum(in[i], paeth(left, up, upLeft));
        }
        return true;
    default:
        return false;
    }
}

} // namespace

bool unfilterToRgba(std::span<std::uint8_t> data, std::uint32_t width, std::uint32_t height,
                    unsigned channels) {
    const std::size_t rowBytes = static_cast<std::size_t>(width) * channels;
    const std::size_t pixels = static_cast<std::size_t>(width) * height;
    if ((channels != 3 && channels != 4) || data.size() < pixels * 4 ||
        data.size() < (rowBytes + 1) * height) {
        return false;
    }
    // Row y is read from y × (rowBytes + 1) + 1 and written to y × rowBytes:
    // always at or before where it is read, and after the row above.
    const std::uint8_t* above = nullptr;
    for (std::size_t y = 0; y < height; ++y) {
        const std::uint8_t* in = data.data() + y * (rowBytes + 1);
        std::uint8_t* row = data.data() + y * rowBytes;
        if (!unfilterRow(in[0], in + 1, row, above, rowBytes, channels)) {
            return false;
        }
        above = row;
    }
    if (channels == 3) {
        // Spread to four bytes a pixel from the last one back, so that no
        // pixel is overwritten before it is moved.
        for (std::size_t i = pixels; i-- > 0;) {
            std::uint8_t* target = data.data() + i * 4;
            const std::uint8_t* source = data.data() + i * 3;
            const std::uint8_t red = source[0];
            const std::uint8_t green = source[1];
            const std::uint8_t blue = source[2];
            target[0] = red;
            target[1] = green;
            target[2] = blue;
            target[3] = 255;
        }
    }
    return true;
}

} // namespace cadrelle
