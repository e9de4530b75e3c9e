#pragma once

#include <cstdint>
#include <span>

namespace cadrelle {

// Reads an RBSP bit by bit, most significant bit first, with the Exp-Golomb
// codes of H.265. Reading past the end throws HevcStreamError.
class BitReader {
public:
    explicit BitReader(std::span<const std::uint8_t> data, std::size_t bitPosition = 0)
        : data_(data), position_(bitPosition) {}

    std::uint64_t bits(int count);
    bool flag() { return bits(1) != 0; }
    std::uint32_t ue();
    std::int32_t se();
    void skip(std::size_t count);

    std::size_t position() const { return position_; }
    std::size_t size() const { return data_.size() * 8; }

private:
    std::span<const std::uint8_t> data_;
    std::size_t position_;
};

} // namespace cadrelle
