#include "DeflateStrip.h"

#include "DeflateBlocks.h"

#include "core/AppError.h"

#include <libdeflate.h>

#include <memory>
#include <optional>

namespace cadrelle {

namespace {

[[noreturn]] void unableToFinish() {
    throw AppError("Unable to finish the PNG.");
}

struct CompressorDeleter {
    void operator()(libdeflate_compressor* compressor) const noexcept {
        libdeflate_free_compressor(compressor);
    }
};

} // namespace

std::array<std::uint8_t, 2> zlibStreamHeader() {
    // Method 8 (deflate) with a 2^15 byte window, the "default" level hint,
    // and check bits that make the pair a multiple of 31.
    const unsigned method = 0x78;
    const unsigned levelHint = 2u << 6;
    const unsigned flags = levelHint + 31 - (method * 256 + levelHint) % 31;
    return {static_cast<std::uint8_t>(method), static_cast<std::uint8_t>(flags)};
}

std::vector<std::uint8_t> deflateStrip(std::span<const std::uint8_t> input, bool last, int level) {
    const std::unique_ptr<libdeflate_compressor, CompressorDeleter> compressor(
        libdeflate_alloc_compressor(level));
    if (!compressor) {
        throw AppError("Unable to create PNG data.");
    }
    // Room for the stored block that keeps the stream open.
    std::vector<std::uint8_t> out(
        libdeflate_deflate_compress_bound(compressor.get(), input.size()) + 5);
    const std::size_t length = libdeflate_deflate_compress(compressor.get(), input.data(),
                                                           input.size(), out.data(), out.size());
    if (length == 0) {
        unableToFinish();
    }
    out.resize(length);
    if (last) {
        return out;
    }
    const std::optional<FinalBlock> block = findFinalBlock(out, input.size());
    if (!block) {
        unableToFinish();
    }
    out[block->headerByte] &= static_cast<std::uint8_t>(~(1u << block->headerBit));
    // An empty stored block: three zero header bits, zeros up to the byte
    // boundary, then LEN 0 and NLEN 0xFFFF. The header fits in the padding
    // of the last byte when at least three bits are free.
    out.back() &= static_cast<std::uint8_t>(0xFFu >> block->paddingBits);
    if (block->paddingBits < 3) {
        out.push_back(0);
    }
    out.insert(out.end(), {0x00, 0x00, 0xFF, 0xFF});
    return out;
}

} // namespace cadrelle
