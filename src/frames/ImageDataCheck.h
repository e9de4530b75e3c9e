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

// The number of bytes the image data of `layout` inflates to: the filtered
// scanlines of every pass, filter type bytes included.
std::uint64_t imageDataBytes(const ImageLayout& layout);

// True when the zlib stream in the PNG's IDAT chunks is intact (its Adler-32
// checksum matches) and ends exactly where the image's scanlines end: a stream
// that inflates to more (a decompression bomb) or carries extra data after its
// end is refused. The PNG's chunks must be walkable (lengths within the file).
// The stream is inflated into `scratch`, which must hold at least
// imageDataBytes(layout) + 1 bytes; inflating stops when it is full, so the
// work is bounded by the image.
bool imageDataHasExactLength(std::span<const std::uint8_t> png, const ImageLayout& layout,
                             std::span<std::uint8_t> scratch);

// Whether the chunks from the first IDAT on are what a decoder that reads
// the image data and the chunks after it accepts: IDAT chunks one after
// another, then only ancillary chunks, IEND last with nothing after it, and
// every CRC matching (except those of the text and metadata chunks the
// decoder is never shown; see PngChunkStream). For images whose data is
// inflated and unfiltered without the decoder.
bool imageDataChunksAreSound(std::span<const std::uint8_t> png);

} // namespace cadrelle
