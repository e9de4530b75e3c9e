#include "video/hevc/BitReader.h"

#include "video/hevc/HevcStreamError.h"

namespace cadrelle {

std::uint64_t BitReader::bits(int count) {
    if (count < 0 || count > 64 || position_ + static_cast<std::size_t>(count) > size()) {
        throw HevcStreamError("a header ends early");
    }
    std::uint64_t value = 0;
    for (int i = 0; i < count; ++i) {
        const auto byte = data_[position_ >> 3];
        value = (value << 1) | ((byte >> (7 - (position_ & 7))) & 1u);
        ++position_;
    }
    return value;
}

std::uint32_t BitReader::ue() {
    int zeros = 0;
    while (bits(1) == 0) {
        if (++zeros > 31) {
            throw HevcStreamError("an Exp-Golomb code is too long");
        }
    }
    return static_cast<std::uint32_t>((std::uint64_t{1} << zeros) - 1 + bits(zeros));
}

std::int32_t BitReader::se() {
    const std::uint32_t code = ue();
    const auto magnitude = static_cast<std::int32_t>((code + 1) / 2);
    return (code & 1u) ? magnitude : -magnitude;
}

void BitReader::skip(std::size_t count) {
    if (position_ + count > size()) {
        throw HevcStreamError("a header ends early");
    }
    position_ += count;
}

} // namespace cadrelle
