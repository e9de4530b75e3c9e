#pragma once

#include "frames/LoadedFrame.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace cadrelle {

// Frames the PNG screenshot at `input` (exactly the opening's size) into
// `frame` and writes the result to `output` with writeExclusive; throws.
void render(const std::filesystem::path& input, const std::filesystem::path& output,
            const LoadedFrame& frame);

// Throws "The output must be a separate file from the screenshot." when both
// paths lead to the same file (symbolic links resolved).
void checkSeparateOutput(const std::filesystem::path& input, const std::filesystem::path& output);

// The same for a screenshot already decoded (one that must not be `output`
// itself), so a caller that had to decode it to choose the frame decodes it
// only once.
void render(const Raster& screenshot, const std::filesystem::path& output,
            const LoadedFrame& frame);

// The framed PNG's bytes, for a caller that writes them later.
std::vector<std::uint8_t> renderPng(const Raster& screenshot, const LoadedFrame& frame);

// The framed image itself, premultiplied, for a caller that draws it further.
Raster frameScreenshot(const Raster& screenshot, const LoadedFrame& frame);

} // namespace cadrelle
