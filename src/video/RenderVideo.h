#pragma once

#include "core/CaptureExportControl.h"
#include "frames/LoadedFrame.h"
#include "video/VideoExportFormat.h"

#include <filesystem>
#include <functional>

namespace cadrelle {

// Re-encodes the MP4 recording at `input` into a framed video at `output` in
// `format`, with its audio; progress goes from 0 to 1 on the calling thread.
// Throws AppError, FileError or Cancelled; a failed export leaves nothing.
void renderVideo(const std::filesystem::path& input, const std::filesystem::path& output,
                 const LoadedFrame& frame, const CaptureExportControl& control,
                 VideoExportFormat format, const std::function<void(double)>& progress);

} // namespace cadrelle
