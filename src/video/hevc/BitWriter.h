#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace cadrelle {

// Builds an RBSP bit by bit, most significant bit first.
class BitWriter {
public:
    void bits(std::uint64_t value, int count);
    void flag(bool value) { bits(value ? 1 : 0, 1); }
    void ue(std::uint32_t value);
    // Copies bits [from, to) of `source` unchanged.
    void copy(std::span<const std::uint8_t> source, std::size_t from, std::size_t to);
    // rbsp_trailing_bits() or byte_alignment(): a one, then zeros to the byte end.
    void trailingBits();

    bool byteAligned() const { return count_ % 8 == 0; }
    std::size_t size() const { return count_; }
    // The bytes written; the writer must be byte-aligned.
    const std::vector<std::uint8_t>& bytes() const;

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t count_ = 0;
};

} // namespace cadrelle
