#include "ImageDataCheck.h"

#include "BigEndian.h"
#include "PngChunkStream.h"

#include <libdeflate.h>

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

} // namespace

std::uint64_t imageDataBytes(const ImageLayout& layout) {
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

namespace {

struct Decompressor {
    libdeflate_decompressor* handle = libdeflate_alloc_decompressor();
    ~Decompressor() { libdeflate_free_decompressor(handle); }
    Decompressor() = default;
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
};

} // namespace

bool imageDataHasExactLength(std::span<const std::uint8_t> png, const ImageLayout& layout,
                             std::span<std::uint8_t> scratch) {
    const std::uint64_t expected = imageDataBytes(layout);
    if (scratch.size() <= expected) {
        return false;
    }
    // The stream is inflated in one call, so IDAT chunks are joined first
    // unless there is only one (they hold the compressed data: small next to
    // the image).
    std::span<const std::uint8_t> stream;
    std::vector<std::uint8_t> joined;
    std::size_t chunks = 0;
    std::size_t offset = 8;
    while (offset + 12 <= png.size()) {
        const std::uint32_t length = readBig32(png.data() + offset);
        if (length > png.size() - offset - 12) {
            return false;
        }
        if (std::memcmp(png.data() + offset + 4, "IDAT", 4) == 0) {
            const std::span<const std::uint8_t> data(png.data() + offset + 8, length);
            if (++chunks == 1) {
                stream = data;
            } else {
                if (chunks == 2) {
                    joined.assign(stream.begin(), stream.end());
                }
                joined.insert(joined.end(), data.begin(), data.end());
                stream = joined;
            }
        }
        offset += 12 + static_cast<std::size_t>(length);
    }
    Decompressor decompressor;
    if (decompressor.handle == nullptr) {
        return false;
    }
    // The buffer is one byte longer than the image data, so a stream that
    // goes on fails for lack of space instead of ending exactly there.
    const auto room = static_cast<std::size_t>(expected) + 1;
    std::size_t consumed = 0;
    std::size_t produced = 0;
    const auto result =
        libdeflate_zlib_decompress_ex(decompressor.handle, stream.data(), stream.size(),
                                      scratch.data(), room, &consumed, &produced);
    return result == LIBDEFLATE_SUCCESS && consumed == stream.size() && produced == expected;
}

bool imageDataChunksAreSound(std::span<const std::uint8_t> png) {
    std::size_t offset = 8;
    bool inImageData = false;
    bool afterImageData = false;
    while (png.size() >= offset && png.size() - offset >= 12) {
        const std::uint32_t length = readBig32(png.data() + offset);
        if (length > png.size() - offset - 12) {
            return false;
        }
        const std::uint8_t* type = png.data() + offset + 4;
        const bool imageData = std::memcmp(type, "IDAT", 4) == 0;
        const bool end = std::memcmp(type, "IEND", 4) == 0;
        if (imageData && afterImageData) {
            return false; // image data interrupted by another chunk
        }
        inImageData = inImageData || imageData;
        afterImageData = inImageData && !imageData;
        const bool ancillary = (type[0] & 0x20) != 0;
        if (afterImageData && !end && !ancillary) {
            return false;
        }
        if (inImageData && !PngChunkStream::leavesOut(type) &&
            libdeflate_crc32(0, type, length + 4) != readBig32(type + 4 + length)) {
            return false;
        }
        offset += 12 + static_cast<std::size_t>(length);
        if (end) {
            return inImageData && offset == png.size();
        }
    }
    return false;
}

} // namespace cadrelle
