#include "CaptureDimensions.h"

#include "core/AppError.h"
#include "frames/Raster.h"
#include "video/VideoSource.h"

#include <algorithm>
#include <cctype>

namespace cadrelle {

namespace {

std::string lowerCaseExtension(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    if (!extension.empty()) {
        extension.erase(0, 1);
    }
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

} // namespace

MeasuredCapture measureCapture(const std::filesystem::path& capture,
                               const CaptureExportControl& control) {
    const std::string extension = lowerCaseExtension(capture);
    if (extension == "mp4") {
        const VideoSource recording(capture, control);
        return {{recording.width(), recording.height()}, std::nullopt};
    }
    if (extension == "png") {
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
