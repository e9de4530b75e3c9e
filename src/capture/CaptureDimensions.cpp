#include "CaptureDimensions.h"

#include "capture/CaptureNaming.h"
#include "capture/VideoModule.h"
#include "core/AppError.h"
#include "core/FileIO.h"
#include "frames/Raster.h"

#include <algorithm>
#include <cctype>

namespace cadrelle {

MeasuredCapture measureCapture(const std::filesystem::path& capture,
                               const CaptureExportControl& control) {
    if (isRecording(capture)) {
        const RecordingSize recording = videoEngine().measureRecording(capture, control);
        return {{recording.width, recording.height}, std::nullopt};
    }
    if (isScreenshot(capture)) {
        Raster image = Raster::load(capture);
        const CaptureSize size{image.width, image.height};
        return {size, std::move(image)};
    }
    throw AppError("Choose a PNG screenshot or an MP4 recording.");
}

CaptureSize captureDimensions(const std::filesystem::path& capture,
                              const CaptureExportControl& control) {
    return measureCapture(capture, control).size;
}

FrameAsset selectFrame(const std::filesystem::path& capture, const std::vector<FrameAsset>& assets,
                       const std::optional<std::string>& selectedID, bool automaticallyMatch,
                       const CaptureExportControl& control) {
    const CaptureSize size = captureDimensions(capture, control);
    return selectFrame(size, capture.filename().string(), assets, selectedID, automaticallyMatch);
}

} // namespace cadrelle
