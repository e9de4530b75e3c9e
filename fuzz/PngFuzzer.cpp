// Feeds arbitrary bytes to the PNG decoder and, when they decode, to the
// screen-opening search and the PNG encoder. Every failure must be an
// AppError; anything else (a crash, a sanitizer report, another exception)
// is a finding.
#include "core/AppError.h"
#include "frames/PngEncoder.h"
#include "frames/Raster.h"
#include "frames/ScreenOpening.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

namespace {

using namespace cadrelle;

void checkOpening(const Raster& raster) {
    try {
        const ScreenOpening opening = screenOpening(raster);
        if (opening.rect.x < 1 || opening.rect.y < 1 ||
            opening.rect.x + opening.rect.width > raster.width - 1 ||
            opening.rect.y + opening.rect.height > raster.height - 1 ||
            opening.mask.size() != static_cast<std::size_t>(raster.width * raster.height)) {
            std::abort();
        }
    } catch (const AppError&) {
    }
}

// The opening search on a small picture whose alpha comes straight from the
// input, which mutations shape far more easily than compressed PNG data.
void searchSyntheticOpening(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return;
    }
    Raster raster;
    raster.width = 1 + data[0] % 48;
    raster.height = 1 + data[1] % 48;
    raster.pixels.assign(static_cast<std::size_t>(raster.width * raster.height * 4), 255);
    for (std::size_t i = 0; i < static_cast<std::size_t>(raster.width * raster.height); ++i) {
        raster.pixels[i * 4 + 3] = data[2 + i % (size - 2)];
    }
    checkOpening(raster);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    searchSyntheticOpening(data, size);
    Raster raster;
    try {
        raster = Raster::decode(std::span<const std::uint8_t>(data, size));
    } catch (const AppError&) {
        return 0;
    }
    if (raster.width < 1 || raster.height < 1 ||
        raster.pixels.size() != static_cast<std::size_t>(raster.width * raster.height * 4)) {
        std::abort();
    }
    checkOpening(raster);
    // Small images only: encoding is slow and adds little for large ones.
    if (raster.width * raster.height <= 4096) {
        const auto png = encodePng(raster);
        // Premultiplied values survive the trip through straight alpha exactly.
        if (Raster::decode(png).pixels != raster.pixels) {
            std::abort();
        }
    }
    return 0;
}
