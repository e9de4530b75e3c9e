#include "TestFrames.h"

namespace cadrelle::test {

RgbaImage drawFrame(const FrameDrawing& d) {
    RgbaImage image(d.width, d.height, d.bezel);
    image.fill(d.openingX, d.openingY, d.openingWidth, d.openingHeight, 0x00000000);
    if (d.island) {
        image.fill(d.openingX + d.openingWidth / 4, d.openingY + 1, d.openingWidth / 2, 3, kIsland);
    }
    return image;
}

std::filesystem::path writeFrame(const std::filesystem::path& path, const FrameDrawing& drawing) {
    writeTestPng(path, drawFrame(drawing));
    return path;
}

FrameAsset frameRecord(const std::string& id, const std::string& model, const std::string& color,
                       std::int64_t width, std::int64_t height) {
    FrameAsset asset;
    asset.id = asset.digest = id;
    asset.model = model;
    asset.color = color;
    asset.name = model + " \u2014 " + color;
    asset.file = id + ".png";
    asset.screen = {10, 10, width, height};
    asset.pixelWidth = width + 20;
    asset.pixelHeight = height + 20;
    return asset;
}

RgbaImage drawScreenshot(std::uint32_t width, std::uint32_t height, std::uint32_t seed) {
    RgbaImage image(width, height);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            image.set(x, y,
                      ((x * 7 + seed) & 0xFF) << 24 | ((y * 5 + 2) & 0xFF) << 16 |
                          ((x * y + 3) & 0xFF) << 8 | 0xFF);
        }
    }
    return image;
}

std::uint32_t pixelAt(const Raster& raster, std::int64_t x, std::int64_t y) {
    const std::uint8_t* p = raster.pixels.data() + (y * raster.width + x) * 4;
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

} // namespace cadrelle::test
