#include "Compositor.h"

#include "PngEncoder.h"

#include "core/AppError.h"
#include "core/FileIO.h"

#include <cstring>

namespace cadrelle {

namespace {

std::uint8_t mulDiv255(unsigned value, unsigned factor) {
    const unsigned product = value * factor + 128;
    return static_cast<std::uint8_t>((product + (product >> 8)) >> 8);
}

// Composes one row of the framed image: the screenshot shows only through the
// opening mask, the frame is drawn on top with source-over, and everything
// else stays transparent. All pixels are premultiplied.
void composeRow(const Raster& screenshot, const LoadedFrame& frame, std::int64_t y,
                std::uint8_t* out) {
    const Raster& bezel = frame.image();
    const PixelRect& s = frame.asset().screen;
    const auto width = static_cast<std::size_t>(bezel.width);
    const std::size_t rowStart = static_cast<std::size_t>(y) * width;
    const std::uint8_t* framePixels = bezel.pixels.data() + rowStart * 4;
    std::memcpy(out, framePixels, width * 4);
    if (y < s.y || y >= s.y + s.height) {
        return;
    }
    const std::uint8_t* mask = frame.mask().data() + rowStart;
    const std::uint8_t* shotRow = screenshot.pixels.data() + static_cast<std::size_t>(y - s.y) *
                                                                 static_cast<std::size_t>(s.width) *
                                                                 4;
    const auto left = static_cast<std::size_t>(s.x);
    for (std::size_t x = left; x < left + static_cast<std::size_t>(s.width); ++x) {
        const unsigned frameAlpha = framePixels[x * 4 + 3];
        if (mask[x] == 0 || frameAlpha == 255) {
            continue;
        }
        const std::uint8_t* shot = shotRow + (x - left) * 4;
        if (frameAlpha == 0) {
            // The opening itself: a clear frame pixel adds nothing, and the
            // screenshot's pixel times 255 / 255 is itself.
            std::memcpy(out + x * 4, shot, 4);
            continue;
        }
        const unsigned rest = 255 - frameAlpha;
        for (std::size_t c = 0; c < 4; ++c) {
            out[x * 4 + c] =
                static_cast<std::uint8_t>(framePixels[x * 4 + c] + mulDiv255(shot[c], rest));
        }
    }
}

void checkScreenshotSize(const Raster& screenshot, const LoadedFrame& frame) {
    const PixelRect& s = frame.asset().screen;
    if (screenshot.width != s.width || screenshot.height != s.height) {
        throw AppError("This frame needs a " + std::to_string(s.width) + " \u00D7 " +
                       std::to_string(s.height) + " screenshot; this image is " +
                       std::to_string(screenshot.width) + " \u00D7 " +
                       std::to_string(screenshot.height) +
                       ". Choose a matching frame or orientation.");
    }
}

} // namespace

void checkSeparateOutput(const std::filesystem::path& input, const std::filesystem::path& output) {
    if (resolvedPath(input) == resolvedPath(output)) {
        throw AppError("The output must be a separate file from the screenshot.");
    }
}

void render(const std::filesystem::path& input, const std::filesystem::path& output,
            const LoadedFrame& frame) {
    checkSeparateOutput(input, output);
    render(Raster::load(input), output, frame);
}

void render(const Raster& screenshot, const std::filesystem::path& output,
            const LoadedFrame& frame) {
    writeExclusive(renderPng(screenshot, frame), output);
}

std::vector<std::uint8_t> renderPng(const Raster& screenshot, const LoadedFrame& frame) {
    checkScreenshotSize(screenshot, frame);

    // The framed image is composed and encoded row by row, strip by strip on
    // all cores: a few rows per thread instead of a whole canvas.
    return encodePng(
        frame.image().width, frame.image().height,
        [&](std::int64_t y, std::uint8_t* row) { composeRow(screenshot, frame, y, row); });
}

Raster frameScreenshot(const Raster& screenshot, const LoadedFrame& frame) {
    checkScreenshotSize(screenshot, frame);
    Raster framed;
    framed.width = frame.image().width;
    framed.height = frame.image().height;
    const auto rowBytes = static_cast<std::size_t>(framed.width) * 4;
    framed.pixels.resize(rowBytes * static_cast<std::size_t>(framed.height));
    for (std::int64_t y = 0; y < framed.height; ++y) {
        composeRow(screenshot, frame, y,
                   framed.pixels.data() + static_cast<std::size_t>(y) * rowBytes);
    }
    return framed;
}

} // namespace cadrelle
