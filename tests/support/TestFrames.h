#pragma once

#include "frames/FrameAsset.h"
#include "frames/Raster.h"
#include "support/Messages.h"
#include "support/PngWriter.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace cadrelle::test {

inline constexpr std::uint32_t kBezel = 0x202428FF;
inline constexpr std::uint32_t kIsland = 0x010203FF;

// A phone-like frame: an opaque body with a transparent rectangular opening
// and, optionally, an opaque island at the top of the opening.
struct FrameDrawing {
    std::uint32_t width = 40;
    std::uint32_t height = 60;
    std::uint32_t openingX = 4;
    std::uint32_t openingY = 6;
    std::uint32_t openingWidth = 32;
    std::uint32_t openingHeight = 48;
    bool island = false;
    // Frames that differ only in this colour are different files.
    std::uint32_t bezel = kBezel;
};

RgbaImage drawFrame(const FrameDrawing& drawing);
std::filesystem::path writeFrame(const std::filesystem::path& path,
                                 const FrameDrawing& drawing = {});

// A frame record without a file: `model` in `color`, with an opening of
// width × height 10 pixels in from every edge.
FrameAsset frameRecord(const std::string& id, const std::string& model, const std::string& color,
                       std::int64_t width, std::int64_t height);

// An opaque picture whose every pixel differs from its neighbours; its
// pixels change with `seed`.
RgbaImage drawScreenshot(std::uint32_t width, std::uint32_t height, std::uint32_t seed = 1);

// The premultiplied pixel at (x, y) as 0xRRGGBBAA.
std::uint32_t pixelAt(const Raster& raster, std::int64_t x, std::int64_t y);

} // namespace cadrelle::test
