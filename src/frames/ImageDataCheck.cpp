#include "ImageDataCheck.h"

#include <zlib.h>

#include <array>
#include <cstring>
#include <vector>

namespace cadrelle {

namespace {

unsigned channels(unsigned colorType) {
    switch (colorType) {
    case 2:
        return 3;
    case 4:
        return 2;
    case 6:
        return 4;
    default:
        return 1;
    }
}

// Bytes of filtered scanlines (filter byte included) of one image or pass.
std::uint64_t passBytes(std::uint64_t width, std::uint64_t height, const ImageLayout& layout) {
    if (width == 0 || height == 0) {
        return 0;
    }
    const std::uint64_t bitsPerRow = width * channels(layout.colorType) * layout.bitDepth;
    return height * (1 + (bitsPerRow + 7) / 8);
}

std::uint64_t expectedBytes(const ImageLayout& layout) {
    if (!layout.interlaced) {
        return passBytes(layout.width, layout.height, layout);
    }
    // Adam7: starting column and row, and the step between them, per pass.
    constexpr std::array<unsigned, 7> xStart = {0, 4, 0, 2, 0, 1, 0};
    constexpr std::array<unsigned, 7> yStart = {0, 0, 4, 0, 2, 0, 1};
    constexpr std::array<unsigned, 7> xStep = {8, 8, 4, 4, 2, 2, 1};
    constexpr std::array<unsigned, 7> yStep = {8, 8, 8, 4, 4, 2, 2};
    std::uint64_t total = 0;
    for (std::size_t pass = 0; pass < 7; ++pass) {
        const std::uint64_t columns =
            layout.width > xStart[pass]
                ? (layout.width - xStart[pass] + xStep[pass] - 1) / xStep[pass]
                : 0;
        const std::uint64_t rows =
            layout.height > yStart[pass]
                ? (layout.height - yStart[pass] + yStep[pass] - 1) / yStep[pass]
                : 0;
        total += passBytes(columns, rows, layout);
    }
    return total;
}

std::uint32_t readBig32(const std::uint8_t* bytes) {
    return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
           std::uint32_t{bytes[2]} << 8 | bytes[3];
}

struct Inflater {
    z_stream stream{};
    bool ready = inflateInit(&stream) == Z_OK;
    ~Inflater() {
        if (ready) {
            inflateEnd(&stream);
        }
    }
};

} // namespace

bool imageDataHasExactLength(std::span<const std::uint8_t> png, const ImageLayout& layout) {
    const std::uint64_t expected = expectedBytes(layout);
    Inflater inflater;
    if (!inflater.ready) {
        return false;
    }
    z_stream& stream = inflater.stream;
    std::vector<std::uint8_t> scratch(1 << 16);
    std::uint64_t produced = 0;
    bool ended = false;

    std::size_t offset = 8;
    while (offset + 12 <= png.size()) {
        const std::uint32_t length = readBig32(png.data() + offset);
        if (length > png.size() - offset - 12) {
            return false;
        }
        const std::uint8_t* data = png.data() + offset + 8;
        if (std::memcmp(png.data() + offset + 4, "IDAT", 4) == 0) {
            if (ended && length > 0) {
                return false; // data after the end of the stream
            }
            stream.next_in = const_cast<std::uint8_t*>(data);
            stream.avail_in = length;
            while (stream.avail_in > 0 && !ended) {
                stream.next_out = scratch.data();
                stream.avail_out = static_cast<uInt>(scratch.size());
                const int status = inflate(&stream, Z_NO_FLUSH);
                produced += scratch.size() - stream.avail_out;
                if (produced > expected) {
                    return false;
                }
                if (status == Z_STREAM_END) {
                    ended = true;
                } else if (status != Z_OK && status != Z_BUF_ERROR) {
                    return false;
                }
            }
            if (ended && stream.avail_in > 0) {
                return false;
            }
        }
        offset += 12 + static_cast<std::size_t>(length);
    }
    return ended && produced == expected;
}

} // namespace cadrelle
