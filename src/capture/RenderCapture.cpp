#include "RenderCapture.h"

#include "capture/CaptureNaming.h"
#include "capture/VideoModule.h"
#include "core/AppError.h"
#include "core/FileIO.h"
#include "frames/Compositor.h"

#include <algorithm>

namespace cadrelle {

void renderCapture(const std::filesystem::path& input, const std::filesystem::path& output,
                   const LoadedFrame& frame, const CaptureExportControl& control,
                   VideoExportFormat videoFormat, const ProgressHandler& progress) {
    if (isRecording(input)) {
        videoEngine().renderVideo(input, output, frame, control, videoFormat, progress);
    } else if (isScreenshot(input)) {
        render(input, output, frame);
    } else {
        throw AppError("Choose a PNG screenshot or an MP4 recording.");
    }
}

} // namespace cadrelle
