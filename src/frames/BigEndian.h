#pragma once

#include <cstdint>

namespace cadrelle {

// The 32-bit big-endian number at `bytes`, as PNG stores chunk lengths and
// CRCs.
inline std::uint32_t readBig32(const std::uint8_t* bytes) {
    return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
           std::uint32_t{bytes[2]} << 8 | bytes[3];
}

} // namespace cadrelle
