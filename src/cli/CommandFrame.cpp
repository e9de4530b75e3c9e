#include "cli/Commands.h"

#include "capture/CaptureProgress.h"
#include "capture/RenderCapture.h"
#include "cli/ProgressLine.h"
#include "core/AppError.h"
#include "core/FileIO.h"
#include "core/SerialQueue.h"
#include "core/StopSignals.h"
#include "frames/Compositor.h"
#include "frames/InspectFrame.h"
#include "frames/LoadedFrame.h"

#include <QCoreApplication>

#include <algorithm>
#include <optional>
#include <ostream>

namespace cadrelle {

namespace {

// Decodes a screenshot on its own queue while the frame is being inspected, so
// the two decodes overlap. The result, or its error, is taken only after the
// frame checks, so they keep their order.
class ScreenshotPrefetch {
public:
    explicit ScreenshotPrefetch(const std::filesystem::path& input) {
        if (QCoreApplication::instance() == nullptr) {
            return;
        }
        queue_.emplace("lumivane.prefetch");
        queue_->async([this, input] {
            try {
                raster_ = Raster::load(input);
            } catch (...) {
                error_ = std::current_exception();
            }
        });
    }
    ~ScreenshotPrefetch() { wait(); }
    ScreenshotPrefetch(const ScreenshotPrefetch&) = delete;
    ScreenshotPrefetch& operator=(const ScreenshotPrefetch&) = delete;

    bool started() const { return queue_.has_value(); }

    const Raster& result() {
        wait();
        if (error_) {
            std::rethrow_exception(error_);
        }
        return *raster_;
    }

private:
    void wait() {
        if (queue_) {
            queue_->stop();
        }
    }

    std::optional<Raster> raster_;
    std::exception_ptr error_;
    std::optional<SerialQueue> queue_;
};

} // namespace

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
    // Ctrl-C or SIGTERM cancels the work, which removes what it had begun.
    CaptureExportControl control;
    StopSignals stopSignals([control]() mutable { control.cancel(); });

    // The checks run in this order so that a bad frame is reported before the
    // capture is looked at.
    const auto framePath = filePath(line.required("--frame"));
    std::optional<ScreenshotPrefetch> prefetch;
    if (const auto input = line.optional("--input"); input && lowercaseExtension(*input) == "png") {
        prefetch.emplace(filePath(*input));
    }
    FrameInspection inspection = inspectFrameWithImage(framePath);
    const auto input = filePath(line.required("--input"));
    const auto& outputText = line.required("--output");
    const auto output = filePath(outputText);
    const LoadedFrame frame(std::move(inspection.asset), std::move(inspection.image),
                            std::move(inspection.mask));
    const VideoExportFormat format = videoFormatOption(line);

    // The main thread waits for stop signals while the capture is framed.
    stopSignals.run("lumivane.frame", [&] {
        control.checkCancelled();
        if (prefetch && prefetch->started()) {
            checkSeparateOutput(input, output);
            render(prefetch->result(), output, frame);
        } else {
            ProgressLine progress;
            renderCapture(input, output, frame, control, format, [&](double fraction) {
                progress.show(
                    progressText({input, CaptureProgress::Phase::framingRecording, fraction}));
            });
        }
    });
    out << outputText << '\n';
}

} // namespace cadrelle
