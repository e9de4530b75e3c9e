#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace cadrelle {

// The two bytes that open a zlib stream made of deflateStrip's strips:
// deflate with a 32 KiB window, no preset dictionary.
std::array<std::uint8_t, 2> zlibStreamHeader();

// Deflates `input`, one strip of a longer stream, as raw deflate data that
// starts with an empty window, so strips can be compressed at the same time.
// A strip that is not the last is left open: its final block is marked as
// not final and an empty stored block brings it to a byte boundary, as a
// sync flush would, so the next strip's data follows directly; the last one
// ends the stream. `level` is libdeflate's compression level (1 to 12). The
// result depends only on the arguments. Throws "Unable to create PNG data."
// or "Unable to finish the PNG.".
std::vector<std::uint8_t> deflateStrip(std::span<const std::uint8_t> input, bool last, int level);

} // namespace cadrelle
