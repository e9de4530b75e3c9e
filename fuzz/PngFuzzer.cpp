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

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace cadrelle;
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
    try {
        const ScreenOpening opening = screenOpening(raster);
        if (opening.rect.x < 1 || opening.rect.y < 1 ||
            opening.rect.x + opening.rect.width > raster.width - 1 ||
            opening.rect.y + opening.rect.height > raster.height - 1) {
            std::abort();
        }
    } catch (const AppError&) {
    }
    // Small images only: encoding is slow and adds little for large ones.
    if (raster.width * raster.height <= 4096) {
        const auto png = encodePng(raster);
        if (Raster::decode(png).pixels != raster.pixels) {
            std::abort();
        }
    }
    return 0;
}
