#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace cadrelle::test {

// A straight-alpha RGBA8 picture, rows from the top.
struct RgbaImage {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> pixels;

    RgbaImage() = default;
    // Filled with one colour.
    RgbaImage(std::uint32_t w, std::uint32_t h, std::uint32_t rgba = 0x000000FF);
    std::uint8_t* at(std::uint32_t x, std::uint32_t y) {
        return pixels.data() + (static_cast<std::size_t>(y) * width + x) * 4;
    }
    void set(std::uint32_t x, std::uint32_t y, std::uint32_t rgba);
    // Fills a rectangle with one colour.
    void fill(std::uint32_t x, std::uint32_t y, std::uint32_t w, std::uint32_t h,
              std::uint32_t rgba);
};

enum class PngColor { grey, rgb, palette, greyAlpha, rgba };

struct PngOptions {
    PngColor color = PngColor::rgba;
    // 1, 2, 4 or 8 for grey and palette; 8 or 16 for the others (and grey).
    int bitDepth = 8;
    bool interlaced = false;
    // Written as an iCCP chunk when not empty.
    std::vector<std::uint8_t> iccProfile;
    // libspng's SPNG_FILTER_CHOICE flags (one filter for every row), or 0
    // for its own per-row choice.
    int filterChoice = 0;
};

// Encodes the picture in the given PNG layout. Grey takes the red channel.
// Palette and grey/RGB keep alpha through tRNS: a palette gets one entry per
// distinct colour; grey and RGB mark the colour of the first fully transparent
// pixel as the transparent key (so every pixel with alpha below 255 must be
// fully transparent and share that colour).
std::vector<std::uint8_t> encodeTestPng(const RgbaImage& image, const PngOptions& options = {});
void writeTestPng(const std::filesystem::path& path, const RgbaImage& image,
                  const PngOptions& options = {});
void writeBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// One PNG chunk: length, type, data and CRC.
std::vector<std::uint8_t> pngChunk(const std::string& type, std::span<const std::uint8_t> data);
// Inserts a chunk right after IHDR (before the image data).
std::vector<std::uint8_t> withChunkAfterHeader(std::span<const std::uint8_t> png,
                                               std::span<const std::uint8_t> chunk);
// A PNG built from raw chunks: the signature, an IHDR of the given size (8-bit
// RGBA), an IDAT holding `zlibData`, and IEND.
std::vector<std::uint8_t> rawRgbaPng(std::uint32_t width, std::uint32_t height,
                                     std::span<const std::uint8_t> zlibData);
// A zlib stream of `rows` image rows of `rowBytes` zero bytes each (filter byte
// included), made without holding the uncompressed data.
std::vector<std::uint8_t> deflatedZeroRows(std::size_t rowBytes, std::size_t rows);
// zlib-compresses bytes at the given level.
std::vector<std::uint8_t> deflateBytes(std::span<const std::uint8_t> bytes, int level = 6);

} // namespace cadrelle::test
