#include "DeflateStrip.h"

#include "core/AppError.h"

#include <libdeflate.h>
#include <zlib.h>

#include <cstring>
#include <memory>

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

class Inflater {
public:
    Inflater() {
        if (inflateInit2(&stream_, -15) != Z_OK) {
            unableToFinish();
        }
    }
    ~Inflater() { inflateEnd(&stream_); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    z_stream& stream() { return stream_; }

private:
    z_stream stream_{};
};

// Where the header of the stream's final block starts, and how many bits of
// padding follow its end in the last byte. Inflating with Z_BLOCK stops at
// every block boundary (the way zlib's gzjoin example finds the last block);
// the inflated bytes must be exactly `original`.
struct FinalBlock {
    std::size_t headerByte = 0;
    unsigned headerBit = 0;
    unsigned paddingBits = 0;
};

FinalBlock findFinalBlock(std::span<std::uint8_t> deflated,
                          std::span<const std::uint8_t> original) {
    Inflater inflater;
    z_stream& z = inflater.stream();
    std::vector<std::uint8_t> inflated(original.size() + 1);
    z.next_in = deflated.data();
    z.avail_in = static_cast<uInt>(deflated.size());
    z.next_out = inflated.data();
    z.avail_out = static_cast<uInt>(inflated.size());
    FinalBlock block;
    for (;;) {
        if (inflate(&z, Z_BLOCK) != Z_OK) {
            unableToFinish();
        }
        if ((z.data_type & 128) == 0) {
            continue;
        }
        // Between blocks; the bits of the last byte used so far are known.
        const unsigned unused = static_cast<unsigned>(z.data_type) & 7;
        if ((z.data_type & 64) != 0) {
            // Right after the final block, before inflate skips its padding.
            block.paddingBits = unused;
            break;
        }
        const auto consumed = static_cast<std::size_t>(z.next_in - deflated.data());
        block.headerByte = unused != 0 ? consumed - 1 : consumed;
        block.headerBit = unused != 0 ? 8 - unused : 0;
    }
    if (z.avail_in != 0 || z.total_out != original.size() ||
        std::memcmp(inflated.data(), original.data(), original.size()) != 0) {
        unableToFinish();
    }
    return block;
}

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
    const FinalBlock block = findFinalBlock(out, input);
    out[block.headerByte] &= static_cast<std::uint8_t>(~(1u << block.headerBit));
    // An empty stored block: three zero header bits, zeros up to the byte
    // boundary, then LEN 0 and NLEN 0xFFFF. The header fits in the padding
    // of the last byte when at least three bits are free.
    out.back() &= static_cast<std::uint8_t>(0xFFu >> block.paddingBits);
    if (block.paddingBits < 3) {
        out.push_back(0);
    }
    out.insert(out.end(), {0x00, 0x00, 0xFF, 0xFF});
    return out;
}

} // namespace cadrelle
