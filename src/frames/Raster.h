#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace cadrelle {

// A validated, decoded PNG: width × height pixels, rows from the top, each
// pixel R, G, B, A in 8 bits, sRGB, colour premultiplied by alpha.
struct Raster {
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::vector<std::uint8_t> pixels;

    // Reads, checks and decodes the PNG at `path` (size limits, signature and
    // IEND trailer, complete decode, embedded ICC profile converted to sRGB).
    static Raster load(const std::filesystem::path& path);
    // Checks and decodes PNG bytes already in memory (the same checks but the
    // file-size attribute).
    static Raster decode(std::span<const std::uint8_t> png);

    // Reads a PNG file whole after checking its size against the 100 MB
    // limit (never reading more); file-system errors pass through as
    // FileError, and anything but a regular file is refused (FileIO.h).
    static std::vector<std::uint8_t> readFile(const std::filesystem::path& path);

    std::uint8_t alphaAt(std::int64_t index) const {
        return pixels[static_cast<std::size_t>(index) * 4 + 3];
    }
};

} // namespace cadrelle
