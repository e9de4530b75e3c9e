#pragma once

#include <cstdint>
#include <span>

namespace cadrelle {

// Turns the inflated image data of an 8-bit, non-interlaced RGB or RGBA PNG
// (`channels` 3 or 4) into RGBA rows, in place: `data` starts with the
// filtered scanlines (a filter type byte, then the row) and ends up holding
// width × height × 4 bytes of pixels, alpha 255 for RGB. `data` must hold at
// least that many bytes and at least the scanlines. Returns false, with
// `data` undefined, when a row names a filter type that does not exist.
bool unfilterToRgba(std::span<std::uint8_t> data, std::uint32_t width, std::uint32_t height,
                    unsigned channels);

} // namespace cadrelle
