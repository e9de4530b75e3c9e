#pragma once

#include "frames/FrameAsset.h"
#include "frames/Raster.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

namespace cadrelle {

// A frame's record with its decoded image and opening mask, checked against
// the record when made. Immutable; cheap to copy (the pixels are shared).
class LoadedFrame {
public:
    // Loads the PNG at `path` and checks its opening, size and digest against
    // `asset`; throws "The frame changed since import. Import it again." on a
    // mismatch.
    LoadedFrame(const FrameAsset& asset, const std::filesystem::path& path);
    // Builds a loaded frame from an inspection that already decoded the file,
    // so a caller that inspects and loads one PNG reads it only once.
    LoadedFrame(FrameAsset asset, Raster image, std::vector<std::uint8_t> mask);

    const FrameAsset& asset() const { return asset_; }
    // The bezel: premultiplied sRGB RGBA, pixelWidth × pixelHeight.
    const Raster& image() const { return *image_; }
    // One byte per pixel, 255 inside the opening.
    const std::vector<std::uint8_t>& mask() const { return *mask_; }

private:
    FrameAsset asset_;
    std::shared_ptr<const Raster> image_;
    std::shared_ptr<const std::vector<std::uint8_t>> mask_;
};

} // namespace cadrelle
