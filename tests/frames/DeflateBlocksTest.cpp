#include "frames/DeflateBlocks.h"

#include <gtest/gtest.h>
#include <libdeflate.h>
#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

using namespace cadrelle;

namespace {

using Bytes = std::vector<std::uint8_t>;

// Filtered-image-like data: runs, repeats from near and far, smooth ramps
// and a stretch of noise, so that compressors make blocks of every kind.
Bytes mixedData(std::size_t size) {
    Bytes data(size);
    std::uint32_t random = 99;
    for (std::size_t i = 0; i < size; ++i) {
        random = random * 1103515245u + 12345u;
        const std::size_t part = i / 4096 % 4;
        if (part == 0) {
            data[i] = static_cast<std::uint8_t>(i / 512);
        } else if (part == 1) {
            data[i] = static_cast<std::uint8_t>(random >> 24);
        } else if (part == 2 && i >= 20000) {
            data[i] = static_cast<std::uint8_t>(data[i - 20000] + (random >> 30));
        } else {
            data[i] = static_cast<std::uint8_t>(i * 7 + (random >> 29));
        }
    }
    return data;
}

Bytes libdeflateStream(const Bytes& data, int level) {
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(level);
    Bytes out(libdeflate_deflate_compress_bound(compressor, data.size()));
    out.resize(
        libdeflate_deflate_compress(compressor, data.data(), data.size(), out.data(), out.size()));
    libdeflate_free_compressor(compressor);
    return out;
}

// zlib's raw deflate with a strategy, flushed fully halfway, which puts an
// empty stored block in the middle of the stream.
Bytes zlibStream(const Bytes& data, int strategy) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, -15, 8, strategy), Z_OK);
    Bytes out(deflateBound(&z, data.size()) + 64);
    z.next_in = const_cast<std::uint8_t*>(data.data());
    z.avail_in = static_cast<uInt>(data.size() / 2);
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&z, Z_FULL_FLUSH), Z_OK);
    z.avail_in = static_cast<uInt>(data.size() - data.size() / 2);
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// The final block as zlib's inflate sees it, stopping between blocks.
FinalBlock finalBlockByZlib(const Bytes& deflated, std::size_t inflatedBytes) {
    z_stream z{};
    EXPECT_EQ(inflateInit2(&z, -15), Z_OK);
    Bytes inflated(inflatedBytes + 1);
    z.next_in = const_cast<std::uint8_t*>(deflated.data());
    z.avail_in = static_cast<uInt>(deflated.size());
    z.next_out = inflated.data();
    z.avail_out = static_cast<uInt>(inflated.size());
    FinalBlock block;
    while (inflate(&z, Z_BLOCK) == Z_OK) {
        if ((z.data_type & 128) == 0) {
            continue;
        }
        const unsigned unused = static_cast<unsigned>(z.data_type) & 7;
        if ((z.data_type & 64) != 0) {
            block.paddingBits = unused;
            break;
        }
        const auto consumed = static_cast<std::size_t>(z.next_in - deflated.data());
        block.headerByte = unused != 0 ? consumed - 1 : consumed;
        block.headerBit = unused != 0 ? 8 - unused : 0;
    }
    EXPECT_EQ(z.total_out, inflatedBytes);
    inflateEnd(&z);
    return block;
}

void expectSameFinalBlock(const Bytes& deflated, std::size_t inflatedBytes) {
    const auto found = findFinalBlock(deflated, inflatedBytes);
    ASSERT_TRUE(found.has_value());
    const FinalBlock expected = finalBlockByZlib(deflated, inflatedBytes);
    EXPECT_EQ(found->headerByte, expected.headerByte);
    EXPECT_EQ(found->headerBit, expected.headerBit);
    EXPECT_EQ(found->paddingBits, expected.paddingBits);
    EXPECT_NE(deflated[found->headerByte] & (1u << found->headerBit), 0u) << "BFINAL is set there";
}

// Deflate bits, least significant first, for streams no compressor writes.
struct BitWriter {
    Bytes bytes;
    unsigned used = 0;
    void put(unsigned value, unsigned bits) {
        for (unsigned b = 0; b < bits; ++b) {
            if (used % 8 == 0) {
                bytes.push_back(0);
            }
            bytes.back() |= static_cast<std::uint8_t>(((value >> b) & 1u) << (used % 8));
            ++used;
        }
    }
    // Huffman codes go in from their first bit.
    void putCode(unsigned code, unsigned bits) {
        for (unsigned b = bits; b-- > 0;) {
            put((code >> b) & 1u, 1);
        }
    }
};

} // namespace

// Stored, fixed and dynamic blocks, one or many, from libdeflate at the
// levels the encoder uses and around them, and from zlib with its other
// strategies and a flush in the middle: the final block is where zlib's
// inflate finds it, with the same padding.
TEST(DeflateBlocks, FindsTheFinalBlockWhereInflateDoes) {
    const Bytes mixed = mixedData(1 << 20);
    const Bytes small(mixed.begin(), mixed.begin() + 300);
    for (const int level : {0, 1, 6, 10, 12}) {
        SCOPED_TRACE("libdeflate level " + std::to_string(level));
        expectSameFinalBlock(libdeflateStream(mixed, level), mixed.size());
        expectSameFinalBlock(libdeflateStream(small, level), small.size());
    }
    expectSameFinalBlock(libdeflateStream({}, 6), 0);
    for (const int strategy : {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED}) {
        SCOPED_TRACE("zlib strategy " + std::to_string(strategy));
        expectSameFinalBlock(zlibStream(mixed, strategy), mixed.size());
    }
}

// Anything but one whole stream of exactly the expected bytes is refused,
// and a damaged one is read without going past its end.
TEST(DeflateBlocks, RefusesStreamsThatAreNotExactlyTheData) {
    const Bytes mixed = mixedData(200000);
    const Bytes stream = libdeflateStream(mixed, 6);
    EXPECT_FALSE(findFinalBlock(stream, mixed.size() - 1)) << "inflates to more";
    EXPECT_FALSE(findFinalBlock(stream, mixed.size() + 1)) << "inflates to less";
    Bytes longer = stream;
    longer.push_back(0);
    EXPECT_FALSE(findFinalBlock(longer, mixed.size())) << "a byte after the end";
    for (std::size_t length = 0; length < stream.size(); length += 997) {
        const Bytes cut(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_FALSE(findFinalBlock(cut, mixed.size())) << "cut at " << length;
    }
    for (std::size_t at = 0; at < stream.size(); at += 499) {
        Bytes flipped = stream;
        flipped[at] ^= 0x24;
        (void)findFinalBlock(flipped, mixed.size()); // must not crash or hang
    }

    // A fixed block that copies from before its start, and the same copy
    // after one literal.
    for (const bool literalFirst : {false, true}) {
        BitWriter bits;
        bits.put(1, 1); // final
        bits.put(1, 2); // fixed codes
        if (literalFirst) {
            bits.putCode(0x30 + 'a', 8);
        }
        bits.putCode(1, 7); // length 3
        bits.putCode(0, 5); // distance 1
        bits.putCode(0, 7); // end of block
        const std::size_t bytes = literalFirst ? 4 : 3;
        EXPECT_EQ(findFinalBlock(bits.bytes, bytes).has_value(), literalFirst);
    }
}
