#pragma once

#include <spng.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace cadrelle {

// Serves a PNG held in memory to a libspng decoder without the chunks that
// libspng would keep in memory although decoding never uses them: text
// (tEXt, zTXt, iTXt), EXIF (eXIf) and suggested palettes (sPLT). Their number
// and total size are bounded only by the file size, so a valid image carrying
// much of them would otherwise run into the decoder's memory limits. Skipping
// a whole chunk is what the decoder does with one it discards. Every other
// chunk, and everything from a chunk whose length runs past the end of the
// bytes on, reaches the decoder unchanged, so damage is still reported.
class PngChunkStream {
public:
    explicit PngChunkStream(std::span<const std::uint8_t> png);
    PngChunkStream(const PngChunkStream&) = delete;
    PngChunkStream& operator=(const PngChunkStream&) = delete;

    // Makes this stream the decoder's input; returns libspng's status. The
    // stream must outlive the decoder's reads.
    int attachTo(spng_ctx* decoder);

    // Whether a chunk of this four-letter type is left out of the stream.
    static bool leavesOut(const std::uint8_t* type);

private:
    void keep(std::span<const std::uint8_t> part);
    static int read(spng_ctx* decoder, void* user, void* destination, std::size_t length);

    std::vector<std::span<const std::uint8_t>> parts_;
    std::size_t part_ = 0;
    std::size_t offset_ = 0;
};

} // namespace cadrelle
