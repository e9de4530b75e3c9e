#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace cadrelle {

// Where the final block of a raw deflate stream starts (its BFINAL bit is bit
// `headerBit`, counted from the least significant, of byte `headerByte`) and
// how many unused high bits follow the stream in its last byte.
struct FinalBlock {
    std::size_t headerByte = 0;
    unsigned headerBit = 0;
    unsigned paddingBits = 0;
};

// Walks the blocks of `deflated` without writing out what they inflate to:
// the Huffman codes are decoded only to find where each block ends. Returns
// the final block when `deflated` is one complete raw deflate stream that
// inflates to exactly `inflatedBytes` bytes, never refers back before its
// start and ends in its last byte; nothing otherwise. Reads only inside
// `deflated`.
std::optional<FinalBlock> findFinalBlock(std::span<const std::uint8_t> deflated,
                                         std::size_t inflatedBytes);

} // namespace cadrelle
