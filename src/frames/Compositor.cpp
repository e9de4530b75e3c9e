#include "Compositor.h"

#include "PngEncoder.h"

#include "core/AppError.h"
#include "core/FileIO.h"

#include <new>

namespace cadrelle {

namespace {

std::uint8_t mulDiv255(unsigned value, unsigned factor) {
    const unsigned product = value * factor + 128;
    return static_cast<std::uint8_t>((product + (product >> 8)) >> 8);
}

// Draws the frame over the screenshot: the screenshot shows only through the
// opening mask, the frame is drawn on top with source-over, and everything
// else stays transparent. Both images are premultiplied.
void composite(const Raster& screenshot, const LoadedFrame& frame, Raster& canvas) {
    const Raster& bezel = frame.image();
    const auto& mask = frame.mask();
    const PixelRect& s = frame.asset().screen;
    const auto width = static_cast<std::size_t>(bezel.width);
    const std::uint8_t* framePixels = bezel.pixels.data();
    std::uint8_t* out = canvas.pixels.data();

    for (std::int64_t y = 0; y < bezel.height; ++y) {
        const std::size_t rowStart = static_cast<std::size_t>(y) * width;
        const bool rowInOpening = y >= s.y && y < s.y + s.height;
        const std::uint8_t* shotRow =
            rowInOpening ? screenshot.pixels.data() + static_cast<std::size_t>(y - s.y) *
                                                          static_cast<std::size_t>(s.width) * 4
                         : nullptr;
        for (std::size_t x = 0; x < width; ++x) {
            const std::size_t p = rowStart + x;
            const std::uint8_t* f = framePixels + p * 4;
            std::uint8_t* o = out + p * 4;
            const unsigned frameAlpha = f[3];
            const auto column = static_cast<std::int64_t>(x);
            const bool under = frameAlpha != 255 && mask[p] != 0 && shotRow != nullptr &&
                               column >= s.x && column < s.x + s.width;
            if (!under) {
                o[0] = f[0];
                o[1] = f[1];
                o[2] = f[2];
                o[3] = f[3];
                continue;
            }
            const std::uint8_t* shot = shotRow + static_cast<std::size_t>(column - s.x) * 4;
            const unsigned rest = 255 - frameAlpha;
            for (int c = 0; c < 4; ++c) {
                o[c] = static_cast<std::uint8_t>(f[c] + mulDiv255(shot[c], rest));
            }
        }
    }
}

} // namespace

void render(const std::filesystem::path& input, const std::filesystem::path& output,
            const LoadedFrame& frame) {
    if (resolvedPath(input) == resolvedPath(output)) {
        throw AppError("The output must be a separate file from the screenshot.");
    }
    render(Raster::load(input), output, frame);
}

void render(const Raster& screenshot, const std::filesystem::path& output,
            const LoadedFrame& frame) {
    const PixelRect& s = frame.asset().screen;
    if (screenshot.width != s.width || screenshot.height != s.height) {
        throw AppError("This frame needs a " + std::to_string(s.width) + " \u00D7 " +
                       std::to_string(s.height) + " screenshot; this image is " +
                       std::to_string(screenshot.width) + " \u00D7 " +
                       std::to_string(screenshot.height) +
                       ". Choose a matching frame or orientation.");
    }

    Raster canvas;
    canvas.width = frame.image().width;
    canvas.height = frame.image().height;
    try {
        canvas.pixels.resize(frame.image().pixels.size());
    } catch (const std::bad_alloc&) {
        throw AppError("Not enough memory to create the image.");
    }
    composite(screenshot, frame, canvas);
    writeExclusive(encodePng(canvas), output);
}

} // namespace cadrelle
