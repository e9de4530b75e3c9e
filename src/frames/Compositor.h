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

} // namespace cadrelle
