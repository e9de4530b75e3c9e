#include "DeflateBlocks.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>

namespace cadrelle {

namespace {

constexpr unsigned kMaxCodeBits = 15;

// Bits of the stream, least significant first. Past the end it reads zeros;
// `overrun` tells when that happened, which the walk checks after every
// block. Every loop that reads is bounded by the symbols it counts, so the
// zeros cannot keep it going.
class DeflateBitReader {
public:
    explicit DeflateBitReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    // At least 56 bits are buffered afterwards.
    void refill() {
        if (next_ + 8 <= bytes_.size()) {
            std::uint64_t word = 0;
            std::memcpy(&word, bytes_.data() + next_, 8);
            if constexpr (std::endian::native == std::endian::big) {
                word = __builtin_bswap64(word);
            }
            buffer_ |= word << count_;
            next_ += (63 - count_) >> 3;
            count_ |= 56;
            return;
        }
        while (count_ <= 56) {
            const std::uint64_t byte = next_ < bytes_.size() ? bytes_[next_] : 0;
            buffer_ |= byte << count_;
            ++next_;
            count_ += 8;
        }
    }
    std::uint64_t peek() const { return buffer_; }
    void drop(unsigned bits) {
        buffer_ >>= bits;
        count_ -= bits;
    }
    // Takes `bits` (at most 32) after refilling if needed.
    unsigned take(unsigned bits) {
        if (count_ < bits) {
            refill();
        }
        const auto value = static_cast<unsigned>(buffer_ & ((std::uint64_t{1} << bits) - 1));
        drop(bits);
        return value;
    }
    std::size_t bitsRead() const { return next_ * 8 - count_; }
    bool overrun() const { return bitsRead() > bytes_.size() * 8; }

    // Stored blocks: skips to the next byte boundary, then moves over whole
    // bytes. False when they are not there.
    void alignToByte() { drop(count_ % 8); }
    bool skipBytes(std::size_t bytes) {
        const std::size_t at = bitsRead() / 8;
        if (bytes > bytes_.size() || at > bytes_.size() - bytes) {
            return false;
        }
        next_ = at + bytes;
        buffer_ = 0;
        count_ = 0;
        return true;
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t next_ = 0; // the next byte to buffer
    std::uint64_t buffer_ = 0;
    unsigned count_ = 0; // buffered bits
};

// A canonical Huffman code as lookup tables: a first table indexed by the
// next kFirstBits input bits, small enough to stay in the level-one cache,
// and for longer codes a second table per first-table slot, indexed by the
// bits after those. An entry holds the symbol times 256 plus its code length;
// a first-table entry with kLink set instead holds where its second table
// starts times 256; 0 means that no code matches.
class HuffmanCode {
public:
    // False when the lengths over-subscribe the code space.
    bool build(const std::uint8_t* lengths, unsigned symbols) {
        std::array<unsigned, kMaxCodeBits + 1> perLength{};
        for (unsigned s = 0; s < symbols; ++s) {
            ++perLength[lengths[s]];
        }
        perLength[0] = 0;
        std::array<unsigned, kMaxCodeBits + 2> next{};
        int left = 1;
        for (unsigned length = 1; length <= kMaxCodeBits; ++length) {
            left = left * 2 - static_cast<int>(perLength[length]);
            if (left < 0) {
                return false;
            }
            next[length + 1] = (next[length] + perLength[length]) << 1;
        }
        std::fill_n(table_.begin(), kFirstSize, 0u);
        std::size_t secondEnd = kFirstSize;
        for (unsigned s = 0; s < symbols; ++s) {
            const unsigned length = lengths[s];
            if (length == 0) {
                continue;
            }
            const unsigned code = next[length]++;
            unsigned reversed = 0;
            for (unsigned b = 0; b < length; ++b) {
                reversed |= ((code >> b) & 1u) << (length - 1 - b);
            }
            const std::uint32_t entry = s << 8 | length;
            if (length <= kFirstBits) {
                for (unsigned i = reversed; i < kFirstSize; i += 1u << length) {
                    table_[i] = entry;
                }
                continue;
            }
            std::uint32_t& first = table_[reversed & (kFirstSize - 1)];
            if (first == 0) {
                first = static_cast<std::uint32_t>(secondEnd) << 8 | kLink;
                std::fill_n(table_.begin() + static_cast<std::ptrdiff_t>(secondEnd), kSecondSize,
                            0u);
                secondEnd += kSecondSize;
            }
            const std::size_t second = first >> 8;
            for (unsigned i = reversed >> kFirstBits; i < kSecondSize;
                 i += 1u << (length - kFirstBits)) {
                table_[second + i] = entry;
            }
        }
        return true;
    }

    // The entry of the code at the start of `bits`, which must hold 15
    // valid bits: its symbol is entry >> 8 and its length entry & 15, which
    // is 0 when the input matches no code.
    std::uint32_t entry(std::uint64_t bits) const {
        const std::uint32_t first = table_[bits & (kFirstSize - 1)];
        if ((first & kLink) == 0) {
            return first;
        }
        return table_[(first >> 8) + ((bits >> kFirstBits) & (kSecondSize - 1))];
    }

    // The next symbol, or -1 when the input matches no code. Needs 15
    // buffered bits.
    int decode(DeflateBitReader& in) const {
        const std::uint32_t found = entry(in.peek());
        const unsigned length = found & 15u;
        if (length == 0) {
            return -1;
        }
        in.drop(length);
        return static_cast<int>(found >> 8);
    }

private:
    static constexpr unsigned kFirstBits = 10;
    static constexpr std::size_t kFirstSize = std::size_t{1} << kFirstBits;
    static constexpr std::size_t kSecondSize = std::size_t{1} << (kMaxCodeBits - kFirstBits);
    static constexpr std::uint32_t kLink = 0x80;
    // Room for a second table behind every first-table slot. Left
    // uninitialised: build() clears the first table and each second table it
    // takes.
    std::array<std::uint32_t, kFirstSize + kFirstSize * kSecondSize> table_;
};

constexpr std::array<std::uint16_t, 29> kLengthBase = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                       15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                       67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                       2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<std::uint16_t, 30> kDistanceBase = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<std::uint8_t, 30> kDistanceExtra = {0, 0, 0,  0,  1,  1,  2,  2,  3,  3,
                                                         4, 4, 5,  5,  6,  6,  7,  7,  8,  8,
                                                         9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

struct Codes {
    HuffmanCode literals; // literals, end of block and lengths
    HuffmanCode distances;
};

bool buildFixedCodes(Codes& codes) {
    std::array<std::uint8_t, 288> lengths{};
    std::fill(lengths.begin(), lengths.begin() + 144, 8);
    std::fill(lengths.begin() + 144, lengths.begin() + 256, 9);
    std::fill(lengths.begin() + 256, lengths.begin() + 280, 7);
    std::fill(lengths.begin() + 280, lengths.end(), 8);
    std::array<std::uint8_t, 30> distances{};
    distances.fill(5);
    return codes.literals.build(lengths.data(), 288) && codes.distances.build(distances.data(), 30);
}

// Reads the code lengths of a dynamic block and builds its two codes.
bool readDynamicCodes(DeflateBitReader& in, Codes& codes, HuffmanCode& lengthCode) {
    in.refill();
    const unsigned literalCount = in.take(5) + 257;
    const unsigned distanceCount = in.take(5) + 1;
    const unsigned lengthCodeCount = in.take(4) + 4;
    if (literalCount > 286 || distanceCount > 30) {
        return false;
    }
    constexpr std::array<std::uint8_t, 19> kOrder = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                     11, 4,  12, 3, 13, 2, 14, 1, 15};
    std::array<std::uint8_t, 19> lengthLengths{};
    for (unsigned i = 0; i < lengthCodeCount; ++i) {
        lengthLengths[kOrder[i]] = static_cast<std::uint8_t>(in.take(3));
    }
    if (!lengthCode.build(lengthLengths.data(), 19)) {
        return false;
    }
    std::array<std::uint8_t, 286 + 30> lengths{};
    const unsigned total = literalCount + distanceCount;
    for (unsigned i = 0; i < total;) {
        in.refill();
        const int symbol = lengthCode.decode(in);
        if (symbol < 0) {
            return false;
        }
        if (symbol < 16) {
            lengths[i++] = static_cast<std::uint8_t>(symbol);
            continue;
        }
        unsigned repeat = 0;
        std::uint8_t value = 0;
        if (symbol == 16) {
            if (i == 0) {
                return false;
            }
            value = lengths[i - 1];
            repeat = 3 + in.take(2);
        } else {
            repeat = symbol == 17 ? 3 + in.take(3) : 11 + in.take(7);
        }
        if (repeat > total - i) {
            return false;
        }
        std::fill_n(lengths.begin() + i, repeat, value);
        i += repeat;
    }
    return lengths[256] != 0 && codes.literals.build(lengths.data(), literalCount) &&
           codes.distances.build(lengths.data() + literalCount, distanceCount);
}

// Decodes the symbols of one Huffman block up to its end, counting the
// bytes they stand for in `inflated`. The reader and the count are worked on
// in locals, which the compiler keeps in registers. Each symbol's entry is
// looked up before the buffer is refilled, from the bits left after the one
// before, so that the lookup and the refill's read overlap: a full buffer
// holds a 15-bit literal code and then 41 bits, and a length code with its
// 5 extra bits, a 15-bit distance code and its 13 extra bits take 48.
bool walkHuffmanBlock(DeflateBitReader& reader, const Codes& codes, std::size_t& inflated,
                      std::size_t limit) {
    DeflateBitReader in = reader;
    std::size_t count = inflated;
    bool sound = false;
    const auto extraBits = [&in](unsigned bits) {
        const auto value = static_cast<unsigned>(in.peek() & ((std::uint64_t{1} << bits) - 1));
        in.drop(bits);
        return value;
    };
    in.refill();
    std::uint32_t entry = codes.literals.entry(in.peek());
    for (;;) {
        const unsigned codeLength = entry & 15u;
        const unsigned symbol = entry >> 8;
        if (codeLength == 0) {
            break;
        }
        in.drop(codeLength);
        if (symbol < 256) {
            if (count == limit) {
                break;
            }
            ++count;
            entry = codes.literals.entry(in.peek());
            in.refill();
            continue;
        }
        if (symbol == 256) {
            sound = true;
            break;
        }
        const std::size_t lengthIndex = symbol - 257;
        if (lengthIndex >= kLengthBase.size()) {
            break;
        }
        const std::size_t length = kLengthBase[lengthIndex] + extraBits(kLengthExtra[lengthIndex]);
        const std::uint32_t distanceEntry = codes.distances.entry(in.peek());
        if ((distanceEntry & 15u) == 0) {
            break;
        }
        in.drop(distanceEntry & 15u);
        const std::size_t distanceIndex = distanceEntry >> 8;
        const std::size_t distance =
            kDistanceBase[distanceIndex] + extraBits(kDistanceExtra[distanceIndex]);
        if (distance > count || length > limit - count) {
            break;
        }
        count += length;
        in.refill();
        entry = codes.literals.entry(in.peek());
    }
    reader = in;
    inflated = count;
    return sound;
}

} // namespace

std::optional<FinalBlock> findFinalBlock(std::span<const std::uint8_t> deflated,
                                         std::size_t inflatedBytes) {
    DeflateBitReader in(deflated);
    // Large tables: kept off the stack of the worker threads.
    const auto codes = std::make_unique_for_overwrite<Codes>();
    const auto lengthCode = std::make_unique_for_overwrite<HuffmanCode>();
    bool fixedCodesBuilt = false;
    std::size_t inflated = 0;
    for (;;) {
        FinalBlock block;
        const std::size_t header = in.bitsRead();
        block.headerByte = header / 8;
        block.headerBit = static_cast<unsigned>(header % 8);
        in.refill();
        const bool final = in.take(1) != 0;
        const unsigned type = in.take(2);
        bool sound = false;
        if (type == 0) {
            in.alignToByte();
            in.refill();
            const unsigned length = in.take(16);
            const unsigned complement = in.take(16);
            sound = !in.overrun() && length == (~complement & 0xFFFFu) &&
                    length <= inflatedBytes - inflated && in.skipBytes(length);
            inflated += length;
        } else if (type == 1) {
            sound = (fixedCodesBuilt || (fixedCodesBuilt = buildFixedCodes(*codes))) &&
                    walkHuffmanBlock(in, *codes, inflated, inflatedBytes);
        } else if (type == 2) {
            fixedCodesBuilt = false;
            sound = readDynamicCodes(in, *codes, *lengthCode) &&
                    walkHuffmanBlock(in, *codes, inflated, inflatedBytes);
        }
        if (!sound || in.overrun()) {
            return std::nullopt;
        }
        if (final) {
            const std::size_t end = in.bitsRead();
            if ((end + 7) / 8 != deflated.size() || inflated != inflatedBytes) {
                return std::nullopt;
            }
            block.paddingBits = static_cast<unsigned>((8 - end % 8) % 8);
            return block;
        }
    }
}

} // namespace cadrelle
