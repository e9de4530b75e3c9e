#include "RenderCapture.h"

#include "core/AppError.h"
#include "frames/Compositor.h"
#include "video/RenderVideo.h"

#include <algorithm>

namespace cadrelle {

void renderCapture(const std::filesystem::path& input, const std::filesystem::path& output,
                   const LoadedFrame& frame, CaptureExportControl& control,
                   VideoExportFormat videoFormat, const ProgressHandler& progress) {
    std::string kind = input.extension().string();
    std::transform(kind.begin(), kind.end(), kind.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (kind == ".mp4") {
        renderVideo(input, output, frame, control, videoFormat, progress);
    } else if (kind == ".png") {
        render(input, output, frame);
    } else {
        throw AppError("Choose a PNG screenshot or an MP4 recording.");
    }
}

} // namespace cadrelle
