#include "video/hevc/BitWriter.h"

#include "video/hevc/HevcStreamError.h"

namespace cadrelle {

void BitWriter::bits(std::uint64_t value, int count) {
    for (int i = count - 1; i >= 0; --i) {
        if (count_ % 8 == 0) {
            bytes_.push_back(0);
        }
        if ((value >> i) & 1u) {
            bytes_.back() |= static_cast<std::uint8_t>(0x80u >> (count_ % 8));
        }
        ++count_;
    }
}

void BitWriter::ue(std::uint32_t value) {
    const std::uint64_t code = std::uint64_t{value} + 1;
    int length = 0;
    while ((code >> length) > 1) {
        ++length;
    }
    bits(0, length);
    bits(code, length + 1);
}

void BitWriter::copy(std::span<const std::uint8_t> source, std::size_t from, std::size_t to) {
    if (to > source.size() * 8 || from > to) {
        throw HevcStreamError("a header ends early");
    }
    for (std::size_t i = from; i < to; ++i) {
        bits((source[i >> 3] >> (7 - (i & 7))) & 1u, 1);
    }
}

void BitWriter::trailingBits() {
    bits(1, 1);
    while (!byteAligned()) {
        bits(0, 1);
    }
}

const std::vector<std::uint8_t>& BitWriter::bytes() const {
    if (!byteAligned()) {
        throw HevcStreamError("a rewritten header is not byte-aligned");
    }
    return bytes_;
}

} // namespace cadrelle
