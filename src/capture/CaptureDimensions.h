#pragma once

#include "core/CaptureExportControl.h"
#include "frames/FrameAsset.h"
#include "frames/FrameSelection.h"
#include "frames/Raster.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace cadrelle {

// A capture's size in pixels, by its lower-cased extension: a "png" is
// decoded with all the PNG checks, an "mp4" is opened as a recording (which
// `control` can cancel); anything else fails with "Choose a PNG screenshot or
// an MP4 recording."
CaptureSize captureDimensions(const std::filesystem::path& capture,
                              const CaptureExportControl& control);

// A capture's size together with the decoded picture of a screenshot, for a
// caller that frames the screenshot right after choosing its frame.
struct MeasuredCapture {
    CaptureSize size;
    std::optional<Raster> screenshot; // none for recordings
};
MeasuredCapture measureCapture(const std::filesystem::path& capture,
                               const CaptureExportControl& control);

// Chooses the frame for the capture file: its size first (so its errors come
// first), then the choice among `assets` by size, the model in the file name
// and the preferred frame.
FrameAsset selectFrame(const std::filesystem::path& capture, const std::vector<FrameAsset>& assets,
                       const std::optional<std::string>& selectedID, bool automaticallyMatch,
                       const CaptureExportControl& control);

} // namespace cadrelle
