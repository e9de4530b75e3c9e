#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace cadrelle {

// One box of an ISO base media / QuickTime file held in memory. Boxes on the
// way to the sample entries are opened into children; the rest keep their
// payload as bytes.
struct QuickTimeBox {
    std::uint32_t type = 0;
    // Payload bytes before the children (all of it for a box without children).
    std::vector<std::uint8_t> payload;
    std::vector<QuickTimeBox> children;
    bool hasChildren = false;

    std::uint64_t size() const;
    void serialize(std::vector<std::uint8_t>& out) const;
    // The first child of this type, or none.
    QuickTimeBox* child(std::string_view type);

    // Parses one box's payload; boxes of the types that lead to sample entries
    // (moov, trak, mdia, minf, stbl, stsd, hvc1) are opened.
    static QuickTimeBox parse(std::uint32_t type, std::span<const std::uint8_t> payload);
};

constexpr std::uint32_t fourCC(std::string_view text) {
    return (std::uint32_t(std::uint8_t(text[0])) << 24) |
           (std::uint32_t(std::uint8_t(text[1])) << 16) |
           (std::uint32_t(std::uint8_t(text[2])) << 8) | std::uint32_t(std::uint8_t(text[3]));
}

} // namespace cadrelle
