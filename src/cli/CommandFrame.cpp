#include "cli/Commands.h"

#include "cli/ProgressLine.h"
#include "core/AppError.h"
#include "frames/InspectFrame.h"
#include "frames/LoadedFrame.h"
#include "video/RenderCapture.h"

#include <ostream>

namespace cadrelle {

VideoExportFormat videoFormatOption(const CommandLine& line) {
    const auto value = line.optional("--video-format");
    if (!value) {
        return VideoExportFormat::mp4;
    }
    const auto format = videoExportFormatFromRaw(*value);
    if (!format) {
        throw AppError("Use --video-format mp4, hevc-alpha, or prores-4444.");
    }
    return *format;
}

void runFrame(const CommandLine& line, std::ostream& out) {
    // The checks run in this order so that a bad frame is reported before the
    // capture is looked at.
    const auto framePath = filePath(line.required("--frame"));
    FrameInspection inspection = inspectFrameWithImage(framePath);
    const auto input = filePath(line.required("--input"));
    const auto& outputText = line.required("--output");
    const LoadedFrame frame(std::move(inspection.asset), std::move(inspection.image),
                            std::move(inspection.mask));
    const VideoExportFormat format = videoFormatOption(line);

    CaptureExportControl control;
    ProgressLine progress("Framing recording");
    renderCapture(input, filePath(outputText), frame, control, format,
                  [&progress](double fraction) { progress.update(fraction); });
    progress.clear();
    out << outputText << '\n';
}

} // namespace cadrelle
