#include "PngRowUnfilter.h"

#include "PngPaeth.h"

#include <array>
#include <cstring>
#include <vector>

namespace cadrelle {

namespace {

// Undoes one row's filter from `in` into `row`, kStep bytes a pixel. The
// pixel to the left is carried in locals, so that a byte never waits for the
// store of the one before it. `above` is the previous row, already
// unfiltered, or zeros for the first row. `row` may overlap `in` as long as
// it starts before it: every byte is read before a later one is written.
template <std::size_t kStep>
bool unfilterRow(std::uint8_t type, const std::uint8_t* in, std::uint8_t* row,
                 const std::uint8_t* above, std::size_t bytes) {
    std::array<int, kStep> left{};
    std::array<int, kStep> upLeft{};
    switch (type) {
    case 0:
        std::memmove(row, in, bytes);
        return true;
    case 1:
        for (std::size_t i = 0; i < bytes; i += kStep) {
            for (std::size_t c = 0; c < kStep; ++c) {
                left[c] = (in[i + c] + left[c]) & 0xFF;
                row[i + c] = static_cast<std::uint8_t>(left[c]);
            }
        }
        return true;
    case 2:
        for (std::size_t i = 0; i < bytes; ++i) {
            row[i] = static_cast<std::uint8_t>(in[i] + above[i]);
        }
        return true;
    case 3:
        for (std::size_t i = 0; i < bytes; i += kStep) {
            for (std::size_t c = 0; c < kStep; ++c) {
                left[c] = (in[i + c] + ((left[c] + above[i + c]) >> 1)) & 0xFF;
                row[i + c] = static_cast<std::uint8_t>(left[c]);
            }
        }
        return true;
    case 4:
        for (std::size_t i = 0; i < bytes; i += kStep) {
            for (std::size_t c = 0; c < kStep; ++c) {
                const int up = above[i + c];
                left[c] = (in[i + c] + paethPredictor(left[c], up, upLeft[c])) & 0xFF;
                upLeft[c] = up;
                row[i + c] = static_cast<std::uint8_t>(left[c]);
            }
        }
        return true;
    default:
        return false;
    }
}

// Row y is read from y × (rowBytes + 1) + 1 and written to y × rowBytes:
// always at or before where it is read, and after the row above.
template <std::size_t kStep>
bool unfilterRows(std::uint8_t* data, std::size_t rowBytes, std::size_t height) {
    const std::vector<std::uint8_t> zeros(rowBytes, 0);
    const std::uint8_t* above = zeros.data();
    for (std::size_t y = 0; y < height; ++y) {
        const std::uint8_t* in = data + y * (rowBytes + 1);
        std::uint8_t* row = data + y * rowBytes;
        if (!unfilterRow<kStep>(in[0], in + 1, row, above, rowBytes)) {
            return false;
        }
        above = row;
    }
    return true;
}

// Spreads RGB pixels to four bytes each, alpha 255, a block at a time from
// the last one back: a block's RGB bytes are copied aside first, and its
// RGBA bytes only cover RGB bytes of its own or of later pixels.
void spreadToRgba(std::uint8_t* data, std::size_t pixels) {
    constexpr std::size_t kBlock = 4096;
    // One byte more, so that every pixel can be read as four bytes.
    std::array<std::uint8_t, kBlock * 3 + 1> rgb{};
    for (std::size_t end = pixels; end > 0;) {
        const std::size_t start = end > kBlock ? end - kBlock : 0;
        std::memcpy(rgb.data(), data + start * 3, (end - start) * 3);
        std::uint8_t* target = data + start * 4;
        for (std::size_t i = 0; i < end - start; ++i) {
            std::memcpy(target + i * 4, rgb.data() + i * 3, 4);
            target[i * 4 + 3] = 255;
        }
        end = start;
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
    if (channels == 4) {
        return unfilterRows<4>(data.data(), rowBytes, height);
    }
    if (!unfilterRows<3>(data.data(), rowBytes, height)) {
        return false;
    }
    spreadToRgba(data.data(), pixels);
    return true;
}

} // namespace cadrelle
