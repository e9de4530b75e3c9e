#include "PngChunkStream.h"

#include "BigEndian.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace cadrelle {

namespace {

constexpr std::size_t kSignatureBytes = 8;
// Length, type and checksum around a chunk's data.
constexpr std::size_t kChunkFrameBytes = 12;

} // namespace

PngChunkStream::PngChunkStream(std::span<const std::uint8_t> png) {
    std::size_t kept = 0;
    std::size_t offset = std::min(kSignatureBytes, png.size());
    while (png.size() - offset >= kChunkFrameBytes) {
        const std::uint32_t length = readBig32(png.data() + offset);
        if (length > png.size() - offset - kChunkFrameBytes) {
            break;
        }
        const std::size_t next = offset + kChunkFrameBytes + length;
        if (leavesOut(png.data() + offset + 4)) {
            keep(png.subspan(kept, offset - kept));
            kept = next;
        }
        offset = next;
    }
    keep(png.subspan(kept));
}

bool PngChunkStream::leavesOut(const std::uint8_t* type) {
    constexpr std::array<const char*, 5> skipped = {"tEXt", "zTXt", "iTXt", "eXIf", "sPLT"};
    return std::any_of(skipped.begin(), skipped.end(),
                       [type](const char* name) { return std::memcmp(type, name, 4) == 0; });
}

void PngChunkStream::keep(std::span<const std::uint8_t> part) {
    if (!part.empty()) {
        parts_.push_back(part);
    }
}

int PngChunkStream::attachTo(spng_ctx* decoder) {
    return spng_set_png_stream(decoder, &PngChunkStream::read, this);
}

int PngChunkStream::read(spng_ctx*, void* user, void* destination, std::size_t length) {
    auto& stream = *static_cast<PngChunkStream*>(user);
    auto* out = static_cast<std::uint8_t*>(destination);
    while (length > 0) {
        if (stream.part_ == stream.parts_.size()) {
            return SPNG_IO_EOF;
        }
        const auto part = stream.parts_[stream.part_];
        const std::size_t count = std::min(length, part.size() - stream.offset_);
        std::memcpy(out, part.data() + stream.offset_, count);
        out += count;
        length -= count;
        stream.offset_ += count;
        if (stream.offset_ == part.size()) {
            ++stream.part_;
            stream.offset_ = 0;
        }
    }
    return 0;
}

} // namespace cadrelle
