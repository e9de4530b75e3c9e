#pragma once

#include "frames/FrameAsset.h"
#include "frames/Raster.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace cadrelle {

// A frame's record together with the image and opening mask it was made from.
struct FrameInspection {
    FrameAsset asset;
    Raster image;
    std::vector<std::uint8_t> mask;
};

// Decodes the frame PNG at `path`, finds its screen opening and returns its
// catalog record (id and file name from the SHA-256 of its bytes, name, model
// and color from its file name); throws.
FrameAsset inspectFrame(const std::filesystem::path& path);

// The same inspection, keeping the decoded image and the opening mask, so a
// caller that inspects and then frames with one PNG reads the file once.
FrameInspection inspectFrameWithImage(const std::filesystem::path& path);

} // namespace cadrelle
