#pragma once

#include "frames/FrameAsset.h"
#include "frames/FrameLibrary.h"

#include <cstdint>
#include <filesystem>
#include <utility>
#include <vector>

namespace cadrelle::test {

struct TestLibrary {
    FrameLibrary library;
    std::vector<FrameAsset> assets;
};

// A frame library in `folder` holding one phone-like frame per opening size
// (an opaque body with a transparent opening, 4 pixels of bezel around it),
// imported the way the program imports frames.
TestLibrary makeTestLibrary(const std::filesystem::path& folder,
                            const std::vector<std::pair<std::uint32_t, std::uint32_t>>& openings);

// Writes an opaque screenshot PNG of that size whose pixels vary with `seed`.
void writeScreenshot(const std::filesystem::path& path, std::uint32_t width, std::uint32_t height,
                     std::uint32_t seed = 0);

} // namespace cadrelle::test
