#pragma once

#include "core/CaptureExportControl.h"
#include "frames/LoadedFrame.h"
#include "video/VideoExportFormat.h"

#include <filesystem>
#include <functional>

namespace cadrelle {

using ProgressHandler = std::function<void(double)>;

// Routes a capture by its lower-cased extension: "png" to render, "mp4" to
// renderVideo; anything else fails with "Choose a PNG screenshot or an MP4
// recording."
void renderCapture(const std::filesystem::path& input, const std::filesystem::path& output,
                   const LoadedFrame& frame, const CaptureExportControl& control,
                   VideoExportFormat videoFormat, const ProgressHandler& progress = {});

} // namespace cadrelle
