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
    const std::int64_t seed = (h / 2) * w + w / 2;
    if (raster.alphaAt(seed) >= kTransparentBelow) {
        throw AppError("The frame needs a transparent screen opening at its center.");
    }

    ScreenOpening opening;
    opening.mask.assign(static_cast<std::size_t>(w * h), 0);
    auto& mask = opening.mask;
    const std::uint8_t* pixels = raster.pixels.data();

    // Breadth-first fill; the queue only grows and is visited by index, so
    // every pixel is looked at a bounded number of times. Room for every pixel
    // is reserved up front: the queue never has to be copied to grow, and
    // only the part actually filled takes memory.
    std::vector<std::uint32_t> queue;
    queue.reserve(static_cast<std::size_t>(w * h));
    queue.push_back(static_cast<std::uint32_t>(seed));
    mask[static_cast<std::size_t>(seed)] = 255;
    std::int64_t minX = w, maxX = 0, minY = h, maxY = 0;

    for (std::size_t next = 0; next < queue.size(); ++next) {
        // Indices and sides fit in 32 bits (at most 24,000,000 pixels), and
        // 32-bit division is markedly cheaper than 64-bit on this hot path.
        const std::uint32_t index = queue[next];
        const auto row = index / static_cast<std::uint32_t>(w);
        const std::int64_t p = index;
        const std::int64_t y = row;
        const std::int64_t x = index - row * static_cast<std::uint32_t>(w);
        // The ring test comes before the neighbours, so no neighbour index
        // ever falls outside the image.
        if (x < 1 || y < 1 || x >= w - 1 || y >= h - 1) {
            throw AppError("The transparent screen is open to the image edge. Choose a complete "
                           "front-facing frame.");
        }
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
        for (const std::int64_t neighbour : {p - 1, p + 1, p - w, p + w}) {
            const auto at = static_cast<std::size_t>(neighbour);
            if (mask[at] == 0 && pixels[at * 4 + 3] < kTransparentBelow) {
                mask[at] = 255;
                queue.push_back(static_cast<std::uint32_t>(neighbour));
            }
        }
    }

    const auto visited = static_cast<std::int64_t>(queue.size());
    if (visited <= (w * h) / 5) {
        throw AppError("The transparent opening is too small to be a device screen.");
    }
    opening.rect = PixelRect{minX, minY, maxX - minX + 1, maxY - minY + 1};
    return opening;
}

} // namespace cadrelle
