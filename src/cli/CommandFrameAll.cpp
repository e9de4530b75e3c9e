#include "cli/Commands.h"

#include "capture/CaptureFramer.h"
#include "capture/CaptureNaming.h"
#include "cli/CaptureResult.h"
#include "cli/JsonLineWriter.h"
#include "cli/ProgressLine.h"
#include "core/AppError.h"
#include "core/FileIO.h"
#include "core/SerialQueue.h"
#include "core/StandardError.h"
#include "core/StopSignals.h"
#include "frames/ShippedFrames.h"

#include <QThread>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>

namespace cadrelle {

namespace {

namespace fs = std::filesystem;

// One run of frame-all: the framing path shared by the workers, and the
// reporting of results, which several workers may do at once. New outputs
// go to `out` as paths, or every result as a JSON line when `json` is given.
class BatchRun {
public:
    // Every job's token is a child of `stop`: cancelling it stops the run.
    BatchRun(FramingSetup setup, VideoExportFormat format, CaptureExportControl stop,
             std::size_t total, std::ostream& out, JsonLineWriter* json)
        : framer_(std::move(setup)), format_(format), stop_(std::move(stop)), total_(total),
          out_(out), json_(json) {}

    // Frames one capture and reports the outcome; never throws. Once the run
    // is stopped, captures are left alone and nothing more is reported.
    void frame(const std::string& capture) {
        std::optional<std::string> frameLabel; // once the frame is chosen
        try {
            frameOrThrow(capture, frameLabel);
        } catch (const Cancelled&) {
            // The run was stopped: the export removed what it had begun.
        } catch (...) {
            reportFailure(capture, frameLabel, userDescription(std::current_exception()));
        }
    }

    bool anyFailed() const { return failures_ > 0; }
    // Whether the run was stopped before every capture was done.
    bool stopped() const { return stop_.isCancelled() && done_ < total_; }

private:
    void frameOrThrow(const std::string& capture, std::optional<std::string>& frameLabel) {
        const CaptureExportControl control = stop_.child();
        control.checkCancelled();
        MatchedCapture matched = framer_.match(filePath(capture), control);
        frameLabel = frameKey(matched.asset);
        note("Frame for " + capture + ": " + *frameLabel + "\n");
        framer_.identify(matched, control);
        const FramingResult result =
            framer_.frame(matched, format_, control, [this](const CaptureProgress& step) {
                std::lock_guard guard(lock_);
                progress_.show("Framing \u00B7 " + countText() + " \u00B7 " +
                               std::to_string(static_cast<int>(step.fraction * 100)) + "%");
            });
        finish(capture, result.record, result.framed);
    }

    void finish(const std::string& capture, const CaptureRecord& record, bool framed) {
        std::lock_guard guard(lock_);
        ++done_;
        progress_.clear();
        if (json_ != nullptr) {
            using Status = CaptureResult::Status;
            json_->write(CaptureResult{capture, record.output, record.frame,
                                       framed ? Status::framed : Status::alreadyFramed,
                                       std::nullopt});
        } else if (framed) {
            out_ << record.output << '\n' << std::flush;
        }
        if (!framed) {
            writeStandardError("Already framed: " + capture + ": " + record.output + "\n");
        }
        showCount();
    }

    // A line of information on standard error, between progress updates.
    void note(const std::string& line) {
        std::lock_guard guard(lock_);
        progress_.clear();
        writeStandardError(line);
        showCount();
    }

    void reportFailure(const std::string& capture, const std::optional<std::string>& frameLabel,
                       const std::string& description) {
        std::lock_guard guard(lock_);
        ++done_;
        ++failures_;
        progress_.clear();
        if (json_ != nullptr) {
            json_->write(CaptureResult{capture, std::nullopt, frameLabel,
                                       CaptureResult::Status::failed, description});
        }
        // An error about the capture file itself names it again, as it was
        // given or resolved: the line names it once.
        std::string text = description;
        for (const std::string& name : {capture, resolvedPath(filePath(capture)).string()}) {
            if (text.starts_with(name + ": ")) {
                text.erase(0, name.size() + 2);
                break;
            }
        }
        writeStandardError("Error: " + capture + ": " + text + "\n");
        showCount();
    }

    void showCount() { progress_.show("Framing \u00B7 " + countText()); }

    std::string countText() const {
        return std::to_string(done_) + " of " + std::to_string(total_);
    }

    CaptureFramer framer_;
    const VideoExportFormat format_;
    const CaptureExportControl stop_;
    const std::size_t total_;
    std::ostream& out_;
    JsonLineWriter* const json_;

    std::mutex lock_; // guards everything below
    ProgressLine progress_;
    std::size_t done_ = 0;
    std::size_t failures_ = 0;
};

// Frames the screenshots on one queue per core; each queue takes the next
// screenshot when it is free, so a slow one does not hold back the rest.
void frameInParallel(BatchRun& run, const std::vector<std::string>& screenshots) {
    const auto workers = std::min<std::size_t>(
        screenshots.size(), static_cast<std::size_t>(std::max(1, QThread::idealThreadCount())));
    std::atomic<std::size_t> next{0};
    std::vector<std::unique_ptr<SerialQueue>> queues;
    for (std::size_t i = 0; i < workers; ++i) {
        queues.push_back(std::make_unique<SerialQueue>("lumivane.frame-all." + std::to_string(i)));
        queues.back()->async([&run, &next, &screenshots] {
            for (std::size_t index = next++; index < screenshots.size(); index = next++) {
                run.frame(screenshots[index]);
            }
        });
    }
    for (const auto& queue : queues) {
        queue->stop(SerialQueue::StopMode::drain);
    }
}

} // namespace

void runFrameAll(const CommandLine& line, std::ostream& out) {
    // Ctrl-C or SIGTERM stops the run: running exports are cancelled, which
    // removes what they had begun, and no further capture is started.
    CaptureExportControl stop;
    StopSignals stopSignals([stop]() mutable { stop.cancel(); });

    const std::string& output = line.required("--output");
    const VideoExportFormat format = videoFormatOption(line);
    const auto libraryOption = line.optional("--library");
    // The library is only read: the shipped frames are used where they are.
    FramingSetup setup;
    setup.library.directory = libraryOption ? filePath(*libraryOption) : shippedFramesDirectory();
    setup.assets = setup.library.load();
    setup.selectedID = line.optional("--preferred");
    setup.output = filePath(output);

    std::vector<std::string> screenshots;
    std::vector<std::string> recordings;
    for (const std::string& capture : line.positionals) {
        (isRecording(filePath(capture)) ? recordings : screenshots).push_back(capture);
    }
    std::optional<JsonLineWriter> json;
    if (line.has("--json")) {
        json.emplace(out);
    }
    BatchRun run(std::move(setup), format, stop, line.positionals.size(), out,
                 json ? &*json : nullptr);
    // The main thread waits for stop signals while the captures are framed.
    stopSignals.run("lumivane.frame-all", [&] {
        frameInParallel(run, screenshots);
        // Recordings use several cores each while encoding: one at a time.
        for (const std::string& recording : recordings) {
            run.frame(recording);
        }
        if (run.stopped()) {
            throw Cancelled();
        }
    });
    if (run.anyFailed()) {
        throw FailuresReported();
    }
}

} // namespace cadrelle
