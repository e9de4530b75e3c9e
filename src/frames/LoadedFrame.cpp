#include "LoadedFrame.h"

#include "ScreenOpening.h"

#include "core/AppError.h"
#include "core/Sha256.h"

namespace cadrelle {

namespace {

const char* const kChanged = "The frame changed since import. Import it again.";

} // namespace

LoadedFrame::LoadedFrame(const FrameAsset& asset, const std::filesystem::path& path)
    : asset_(asset) {
    // The digest is taken from the same bytes that are decoded, so the image
    // always belongs to the checked digest.
    const auto bytes = Raster::readFile(path);
    Raster raster = Raster::decode(bytes);
    ScreenOpening opening = screenOpening(raster);
    if (opening.rect != asset.screen || raster.width != asset.pixelWidth ||
        raster.height != asset.pixelHeight || sha256(bytes) != asset.digest) {
        throw AppError(kChanged);
    }
    image_ = std::make_shared<const Raster>(std::move(raster));
    mask_ = std::make_shared<const std::vector<std::uint8_t>>(std::move(opening.mask));
}

LoadedFrame::LoadedFrame(FrameAsset asset, Raster image, std::vector<std::uint8_t> mask)
    : asset_(std::move(asset)) {
    if (image.width != asset_.pixelWidth || image.height != asset_.pixelHeight ||
        image.pixels.size() != static_cast<std::size_t>(image.width * image.height * 4) ||
        mask.size() != static_cast<std::size_t>(image.width * image.height)) {
        throw AppError("Unable to read frame transparency.");
    }
    image_ = std::make_shared<const Raster>(std::move(image));
    mask_ = std::make_shared<const std::vector<std::uint8_t>>(std::move(mask));
}

} // namespace cadrelle
