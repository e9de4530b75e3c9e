#include "ScreenOpening.h"

#include "core/AppError.h"

#include <algorithm>
#include <cstdint>

namespace cadrelle {

namespace {

constexpr std::uint8_t kTransparentBelow = 128;

} // namespace

ScreenOpening screenOpening(const Raster& raster) {
    const std::int64_t w = raster.width;
    const std::int64_t h = raster.height;
    if (w < 1 || h < 1 || w * h > std::int64_t{UINT32_MAX} ||
        raster.pixels.size() != static_cast<std::size_t>(w * h * 4)) {
        throw AppError("Unable to read image pixels.");
    }
    if (raster.alphaAt((h / 2) * w + w / 2) >= kTransparentBelow) {
        throw AppError("The frame needs a transparent screen opening at its center.");
    }

    ScreenOpening opening;
    opening.mask.assign(static_cast<std::size_t>(w * h), 0);
    std::uint8_t* const mask = opening.mask.data();
    const std::uint8_t* const pixels = raster.pixels.data();
    const auto open = [&](std::int64_t index) {
        return mask[index] == 0 && pixels[index * 4 + 3] < kTransparentBelow;
    };

    // Span fill: each popped seed grows into the whole run of open pixels on
    // its row, which is marked at once; the rows above and below that run
    // then give one seed per run of open pixels they hold. Rows are read
    // left to right, so the fill walks memory in order instead of jumping a
    // row at every step, and each pixel is marked exactly once.
    struct Seed {
        std::int64_t x;
        std::int64_t y;
    };
    std::vector<Seed> seeds{{w / 2, h / 2}};
    std::int64_t visited = 0;
    std::int64_t minX = w, maxX = 0, minY = h, maxY = 0;
    const auto seedRuns = [&](std::int64_t y, std::int64_t from, std::int64_t to) {
        const std::int64_t row = y * w;
        for (std::int64_t x = from; x <= to; ++x) {
            if (open(row + x) && (x == from || !open(row + x - 1))) {
                seeds.push_back({x, y});
            }
        }
    };
    while (!seeds.empty()) {
        const Seed seed = seeds.back();
        seeds.pop_back();
        const std::int64_t row = seed.y * w;
        if (!open(row + seed.x)) {
            continue; // reached through another run meanwhile
        }
        std::int64_t left = seed.x;
        while (left > 0 && open(row + left - 1)) {
            --left;
        }
        std::int64_t right = seed.x;
        while (right < w - 1 && open(row + right + 1)) {
            ++right;
        }
        // An opening that touches the outermost ring of pixels is not
        // closed by the device's body.
        if (left < 1 || right >= w - 1 || seed.y < 1 || seed.y >= h - 1) {
            throw AppError("The transparent screen is open to the image edge. Choose a complete "
                           "front-facing frame.");
        }
        std::fill(mask + row + left, mask + row + right + 1, std::uint8_t{255});
        visited += right - left + 1;
        minX = std::min(minX, left);
        maxX = std::max(maxX, right);
        minY = std::min(minY, seed.y);
        maxY = std::max(maxY, seed.y);
        seedRuns(seed.y - 1, left, right);
        seedRuns(seed.y + 1, left, right);
    }

    if (visited <= (w * h) / 5) {
        throw AppError("The transparent opening is too small to be a device screen.");
    }
    opening.rect = PixelRect{minX, minY, maxX - minX + 1, maxY - minY + 1};
    return opening;
}

} // namespace cadrelle
